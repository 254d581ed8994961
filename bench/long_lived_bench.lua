-- A long-lived document's memory follows what it holds, not what it went
-- through: the resident memory (VmRSS, read from /proc/self/status) and the
-- time of Text() (os.clock, best of RUNS) after a long run of edits, against
-- a fresh document with the same contents.
--   keys: one key set COUNT times to 1 KB values;
--   entities: COUNT entities made and removed, one at a time.
-- Usage: mapwright-lua --root DIR bench/long_lived_bench.lua JOB COUNT [RUNS]
-- Prints: resident kB at the start, after the fresh document, after the
-- edits; Text() seconds of the fresh document and of the edited one.
local job, count = assert(arg[1]), assert(tonumber(arg[2]))
local runs = tonumber(arg[3]) or 5
local best = dofile("bench/timing.lua")(runs)

local function residentKB()
  collectgarbage("collect")
  local status = assert(io.open("/proc/self/status", "rb"))
  local kb = tonumber(status:read("*a"):match("VmRSS:%s*(%d+)"))
  status:close()
  return kb
end

local base = 'entity\n{\n\t"id" "1"\n\t"classname" "info_target"\n}\n'
local value = string.rep("v", 1023)
local function final(vmf)
  vmf:Parse(base)
  if job == "keys" then vmf:Entity(0):SetKey("k", value .. "x") end
end

local start = residentKB()
local fresh = Mapwright.VMF()
final(fresh)
local freshKB = residentKB()
local textFresh = best(nil, function() fresh:Text() end)

local edited = Mapwright.VMF()
edited:Parse(base)
if job == "keys" then
  local e = edited:Entity(0)
  for i = 1, count do e:SetKey("k", value .. (i == count and "x" or i % 10)) end
else
  for _ = 1, count do edited:RemoveEntity(edited:CreateEntity("info_target", 2)) end
end
local editedKB = residentKB()
assert(edited:Text() == fresh:Text(), "the same contents")
local textEdited = best(nil, function() edited:Text() end)
print(string.format("%d %d %d %.6f %.6f", start, freshKB, editedKB, textFresh, textEdited))
