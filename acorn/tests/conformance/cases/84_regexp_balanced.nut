// \m matches a balanced run between an opening and a closing character.
local r = regexp(@"\m()");
print(r.match("(a(b)c)") + " " + r.match("(a(b)c") + " " + r.match("a(b)") + "\n");
local x = regexp(@"x\m()y");
local res = x.capture("zx(a(b)c)yw");
foreach (c in res) print(c.begin + " " + c.end + "\n");
local s = regexp(@"\m[]");
local found = s.search("ab[1[2]3]cd[4]");
print(found.begin + " " + found.end + "\n");
print(regexp(@"\m<>").match("<<>>") + " " + regexp(@"\m<>").match("<<>") + "\n");
try { regexp("\\m\"\""); } catch (e) { print(e + "\n"); }
