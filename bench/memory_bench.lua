-- Reads and parses one map once, for a peak-memory measurement of the whole
-- process from outside (/usr/bin/time -v).
-- Usage: mapwright-lua --root DIR bench/memory_bench.lua MAP
local vmf = Mapwright.VMF()
vmf:Parse(assert(Mapwright.ReadFile(assert(arg[1], "usage: memory_bench.lua MAP"))))
print(vmf:EntityCount())
