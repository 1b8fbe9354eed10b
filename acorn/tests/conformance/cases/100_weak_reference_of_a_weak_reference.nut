// A weak reference is an object of its own: asking it for a weak reference
// gives a new one that refers to it.
local target = {};
local weak = target.weakref();
local weaker = weak.weakref();
print((weaker == weak) + " " + typeof weaker + " " + (weaker.ref() == weak) + " " + (weak.weakref() == weaker) + "\n");
target = null;
print(typeof weaker.ref() + " " + weaker.ref().ref() + "\n");
