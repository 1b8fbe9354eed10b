// What blob methods return.
function t(f) { try { local r = f(); print(typeof r + ": " + r + "\n"); } catch (e) { print("ERR: " + e + "\n"); } }
local b = blob(4);
t(@() b.len());
t(@() b.tell());
t(@() b.eos());
t(@() b.seek(2));
t(@() b.seek(10));
t(@() b.seek(-1, 'e'));
t(@() b.writen(65, 'b'));
t(@() b.eos());
t(@() b.readn('b'));
t(@() b.resize(8));
t(@() b.swap2());
t(@() b.swap4());
t(@() b.flush());
t(@() b.writeblob(blob(2)));
t(@() b.writeblob(blob(0)));
t(@() b.readblob(2).len());
t(@() b.readn('x'));
t(@() b.writen(1, 'x'));
t(@() b.seek(0, 'x'));
t(@() b[0]);
t(@() b[100]);
t(@() typeof b);
t(@() blob(0).eos());
t(@() swap2(0x1234));
t(@() swap4(0x12345678));
