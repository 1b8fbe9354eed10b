// A class that has been derived from still takes new members until it is
// instantiated; a missing index names a number by its value and anything
// else by its type.
class Base { x = 1; }
class Derived extends Base {}
Base.added <- 2;
print("added after deriving: " + Base.added + "\n");
Base.method <- function() { return "m"; };
print("method: " + Base().method() + "\n");
try { Base.late <- 3; } catch (e) { print("after an instance: " + e + "\n"); }
try { Base.x <- 5; } catch (e) { print("new default after an instance: " + e + "\n"); }
Base.static_late <- function() { return "still a method"; };
print(Base.static_late() + "\n");
class Root { r = 1; }
class Leaf extends Root {}
Leaf();
try { Root.late <- 1; } catch (e) { print("base of an instantiated class: " + e + "\n"); }
foreach (key in [true, false, 1, 2.5, "name", [], {}]) {
    try { local v = {}[key]; } catch (e) { print(e + "\n"); }
}
foreach (key in [true, 7, 1.5]) {
    try { local v = [1, 2][key]; } catch (e) { print(e + "\n"); }
}
