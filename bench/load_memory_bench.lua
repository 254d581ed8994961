-- Loads one map once, for a peak-memory measurement of the whole process
-- from outside (/usr/bin/time -v).
-- Usage: mapwright-lua --root DIR bench/load_memory_bench.lua MAP
local vmf = Mapwright.VMF()
assert(vmf:Load(assert(arg[1], "usage: load_memory_bench.lua MAP")))
print(vmf:EntityCount())
