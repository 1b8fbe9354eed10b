// File objects: typeof, return values, end of file by position, closed files.
function t(f) { try { local r = f(); print(typeof r + ": " + r + "\n"); } catch (e) { print("ERR: " + e + "\n"); } }
local f = file("_tmp_91.txt", "w");
t(@() typeof f);
t(@() f instanceof file);
t(@() f.eos());
t(@() f.writen(65, 'b'));
t(@() f.writestring("hi"));
t(@() f.flush());
t(@() f.tell());
t(@() f.len());
t(@() f.eos());
t(@() f.seek(0));
t(@() f.eos());
t(@() f.close());
t(@() f.tell());
f = file("_tmp_91.txt", "r");
t(@() f.eos());
t(@() f.readn('b'));
t(@() f.readblob(10).len());
t(@() f.eos());
t(@() f.readblob(10));
f.close();
t(@() file("_tmp_91_missing/x", "r"));
t(@() file("_tmp_91.txt", "q"));
t(@() remove("_tmp_91.txt"));
t(@() typeof stdout);
