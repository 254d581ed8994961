-- A long-lived document's memory follows what it holds, not what it went
-- through: the resident memory (VmRSS, read from /proc/self/status) the
-- process grows by and the time of Text() (os.clock, best of RUNS), for a
-- document after a long run of edits or for a fresh one with the same
-- contents, each in a process of its own so that both pay the same start.
--   keys: one key set COUNT times to 1 KB values;
--   entities: COUNT entities made and removed, one at a time;
--   entity blocks: the same with the document's blocks read;
--   nested blocks: COUNT times a solid with a side and its dispinfo made in
--   the world block and removed.
-- Usage: mapwright-lua --root DIR bench/long_lived_bench.lua JOB COUNT RUNS fresh|edited
-- Prints: resident kB at the start and with the document; Text() seconds.
local job, count = assert(arg[1]), assert(tonumber(arg[2]))
local runs = tonumber(arg[3]) or 5
local mode = arg[4] or "edited"
local best = dofile("bench/timing.lua")(runs)

local function residentKB()
  collectgarbage("collect")
  local status = assert(io.open("/proc/self/status", "rb"))
  local kb = tonumber(status:read("*a"):match("VmRSS:%s*(%d+)"))
  status:close()
  return kb
end

local base = 'world\n{\n\t"id" "1"\n}\nentity\n{\n\t"id" "2"\n\t"classname" "info_target"\n}\n'
local value = string.rep("v", 1023)
local function final(vmf)
  vmf:Parse(base)
  if job == "keys" then vmf:Entity(0):SetKey("k", value .. "x") end
end

local start = residentKB()
local vmf = Mapwright.VMF()
if mode == "fresh" then
  final(vmf)
else
  vmf:Parse(base)
  if job == "keys" then
    local e = vmf:Entity(0)
    for i = 1, count do e:SetKey("k", value .. (i == count and "x" or i % 10)) end
  elseif job == "nested" then
    local world = vmf:Block(0)
    for _ = 1, count do
      world:AddBlock("solid"):AddBlock("side"):AddBlock("dispinfo")
      world:RemoveBlock(0)
    end
  else
    if job == "entityblocks" then vmf:Block(0) end
    for _ = 1, count do vmf:RemoveEntity(vmf:CreateEntity("info_target", 3)) end
  end
end
local kb = residentKB()
if mode ~= "fresh" then
  local fresh = Mapwright.VMF()
  final(fresh)
  assert(vmf:Text() == fresh:Text(), "the same contents")
end
local text = best(nil, function() vmf:Text() end)
print(string.format("%d %d %.6f", start, kb, text))
