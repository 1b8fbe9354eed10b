// Function bodies may be a single statement without braces.
function min(x, y) return x < y ? x : y;
function sign(x) if (x < 0) return -1; else return x > 0 ? 1 : 0;
local twice = function(x) return x * 2;
class Counter {
    n = 0;
    function bump() this.n++;
    function get() return this.n;
}
print(min(3, 2) + " " + min(-1, 4) + "\n");
print(sign(-5) + " " + sign(0) + " " + sign(7) + "\n");
print(twice(21) + "\n");
local c = Counter();
c.bump(); c.bump();
print(c.get() + "\n");
