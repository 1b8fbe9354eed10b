// Float literals with nothing after the point, and their neighbours.
local values = [100., 1., 0., 2.5, 1.e2, 1.E+2, 3e1, 5. + 1, 1..5];
foreach (v in values) print(typeof v + " " + v + "\n");
print((10.).tostring() + "\n");
print((7. / 2) + "\n");
