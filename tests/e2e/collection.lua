-- Documents, readers and entities that a script drops are freed when they are
-- collected, while the script runs: 300 rounds that each hold about a
-- megabyte of native objects leave the resident memory where the first round
-- left it. (Under the sanitizers freed memory is held back on purpose, and
-- LeakSanitizer checks instead.)
local check = require("check")

if os.getenv("MAPWRIGHT_SANITIZED") then
  print("collection: skipped under the sanitizers (LeakSanitizer checks leaks there)")
  return
end

local function residentBytes()
  local statm = assert(io.open("/proc/self/statm", "r"))
  local _, resident = statm:read("*n", "*n")
  statm:close()
  return resident * 4096
end

local entities = {}
for i = 1, 2000 do
  entities[i] = string.format('entity\n{\n"targetname" "e%d"\n"value" "%s"\n}\n', i, string.rep("v", 400))
end
local text = table.concat(entities)

local function round()
  local document = Mapwright.VMF()
  document:Parse(text)
  document:Rename(1)
  for i = 1, 200 do document:CreateEntity("info_target", i):AddKey("k", string.rep("x", 100)) end
  local handle = document:Entity(0)
  local reader = Mapwright.TokenReader(text)
  reader:ReadToken()
  return handle
end

local handles = {}
for _ = 1, 10 do handles[#handles + 1] = round() end
handles = {}
collectgarbage("collect")
collectgarbage("collect")
local settled = residentBytes()
for r = 1, 300 do
  handles[#handles + 1] = round()
  if r % 10 == 0 then
    handles = {}
    collectgarbage("collect")
  end
end
handles = {}
collectgarbage("collect")
collectgarbage("collect")
local growth = residentBytes() - settled
print(string.format("collection: resident memory grew by %.1f MB over 300 rounds", growth / 1e6))
check.eq(growth < 64 * 1024 * 1024, true, "memory of collected objects is given back")
