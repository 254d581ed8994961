-- Every real map of the corpus parses, with the entity and connection counts
-- that the manifest records, and without a parse failure.
-- Usage: corpus.lua CORPUS_DIR ; exits 77 (skipped) when the folder is absent.
local check = require("check")
local folder = assert(arg[1], "usage: corpus.lua CORPUS_DIR")

local manifest = io.open(folder .. "/MANIFEST.tsv", "rb")
if not manifest then
  print("corpus: " .. folder .. "/MANIFEST.tsv not found, skipping")
  os.exit(77)
end

local function split(line)
  local fields = {}
  for field in (line .. "\t"):gmatch("([^\t]*)\t") do fields[#fields + 1] = field end
  return fields
end

local header = split(manifest:read("*l"))
local column = {}
for i, name in ipairs(header) do column[name] = i end

local failures = 0
function VMFParseFailure(kind, message)
  failures = failures + 1
  io.stderr:write("unexpected parse failure: ", kind, ": ", message, "\n")
end

local maps = 0
for line in manifest:lines() do
  local row = split(line:gsub("\r$", ""))
  local name = row[column.file]
  local file = assert(io.open(folder .. "/" .. name, "rb"))
  local text = file:read("*a")
  file:close()
  local vmf = Mapwright.VMF()
  vmf:Parse(text)
  local connections = 0
  for i = 0, vmf:EntityCount() - 1 do connections = connections + vmf:Entity(i):ConnectionCount() end
  check.eq(vmf:EntityCount(), tonumber(row[column.entities]), name .. " entities")
  check.eq(connections, tonumber(row[column.connections]), name .. " connections")
  maps = maps + 1
end
check.eq(failures, 0, "parse failures")
check.eq(maps > 0, true, "maps in the manifest")
print("corpus: " .. maps .. " maps ok")
