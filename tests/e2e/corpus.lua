-- Every real map of the corpus parses, with the entity and connection counts
-- that the manifest records, and its sides' materials swap line by line. The only reports are for the defects the
-- manifest's notes place on a line ("line 3365: ..."), one each.
-- Usage: corpus.lua CORPUS_DIR ; exits 77 (skipped) when the folder is absent,
-- and fails then where MAPWRIGHT_REQUIRE_CORPUS is set.
local check = require("check")
local folder = assert(arg[1], "usage: corpus.lua CORPUS_DIR")

local manifest = io.open(folder .. "/MANIFEST.tsv", "rb")
if not manifest then
  if os.getenv("MAPWRIGHT_REQUIRE_CORPUS") then
    error("corpus: " .. folder .. "/MANIFEST.tsv not found, and MAPWRIGHT_REQUIRE_CORPUS is set")
  end
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

local reports = {}
function VMFParseFailure(kind, message)
  reports[#reports + 1] = kind .. ": " .. message
end

-- Every output comes apart into its six fields, which join back into it.
local function checkParts(entity, c, name)
  local whole = entity:Connection(c)
  local parts = check.pack(entity:ConnectionParts(c))
  check.eq(parts.n, 6, name .. " ConnectionParts gives six fields")
  local output, value = whole:match("^(%S*) (.*)$")
  local separator = value:find("\27", 1, true) and "\27" or ","
  local _, separators = value:gsub(separator, "")
  check.eq(parts[1], output, name .. " output field")
  if separators >= 4 then
    check.eq(table.concat({ parts[2], parts[3], parts[4], parts[5], parts[6] }, separator), value,
             name .. " fields join into the output")
  end
end

local function parse(text, name)
  reports = {}
  local vmf = Mapwright.VMF()
  vmf:Parse(text)
  local connections = 0
  for i = 0, vmf:EntityCount() - 1 do
    local entity = vmf:Entity(i)
    connections = connections + entity:ConnectionCount()
    for c = 0, entity:ConnectionCount() - 1 do checkParts(entity, c, name) end
  end
  return vmf:EntityCount(), connections, reports
end

local function expectReports(got, defectLine, name)
  if defectLine then
    check.eq(#got, 1, name .. " reports its one defect")
    check.eq((got[1] or ""):match("^Syntax: line (%d+): "), defectLine, name .. " report line")
  else
    check.eq(#got, 0, name .. " reports nothing: " .. table.concat(got, "; "))
  end
end

-- Swaps the material of every side reached through the blocks: the text
-- changes in exactly those lines.
local function swapMaterials(vmf, text, name)
  local swapped = 0
  local function walk(block)
    for i = 0, block:BlockCount() - 1 do
      local child = block:Block(i)
      if child:Name() == "side" then
        for k = 0, child:KeyCount() - 1 do
          if child:Key(k) == "material" then
            child:SetValue(k, "DEV/SWAPPED")
            swapped = swapped + 1
          end
        end
      end
      walk(child)
    end
  end
  for i = 0, vmf:BlockCount() - 1 do walk(vmf:Block(i)) end
  local before, after = {}, {}
  for l in (text .. "\n"):gmatch("([^\n]*)\n") do before[#before + 1] = l end
  for l in (vmf:Text() .. "\n"):gmatch("([^\n]*)\n") do after[#after + 1] = l end
  check.eq(#after, #before, name .. " swap: line count")
  local changed = 0
  for i = 1, #before do
    if before[i] ~= after[i] then
      changed = changed + 1
      check.eq(after[i], (before[i]:gsub('"material" ".*"', '"material" "DEV/SWAPPED"')),
               name .. " swap: line " .. i)
    end
  end
  check.eq(changed, swapped, name .. " swap: one line per material")
end

local maps = 0
for line in manifest:lines() do
  local row = split(line:gsub("\r$", ""))
  local name = row[column.file]
  local file = assert(io.open(folder .. "/" .. name, "rb"))
  local text = file:read("*a")
  file:close()
  local defectLine = row[column.notes]:match("^line (%d+): ")
  local entities, connections, got = parse(text, name)
  check.eq(entities, tonumber(row[column.entities]), name .. " entities")
  check.eq(connections, tonumber(row[column.connections]), name .. " connections")
  expectReports(got, defectLine, name)
  -- Load reads what Parse(ReadFile()) reads, with the same reports; Save
  -- stores Text() over it, in place.
  local copy = assert(io.open("map.vmf", "wb"))
  copy:write(text)
  copy:close()
  reports = {}
  local loaded = Mapwright.VMF()
  check.eq(loaded:Load("map.vmf"), true, name .. " Load")
  check.eq(loaded:EntityCount(), entities, name .. " Load: entities")
  check.eq(table.concat(reports, "\n"), table.concat(got, "\n"), name .. " Load: reports")
  check.eq(loaded:Text() == text, true, name .. " Load: the text")
  swapMaterials(loaded, text, name)
  if entities > 0 then loaded:Entity(entities - 1):SetKey("saved", "1") end
  check.eq(loaded:Save("map.vmf"), true, name .. " Save")
  local saved = assert(io.open("map.vmf", "rb"))
  check.eq(saved:read("*a") == loaded:Text(), true, name .. " Save wrote Text()")
  saved:close()
  if defectLine then
    -- The same line damaged worse, as editors also write it: a value whose
    -- own quotes hold a number with a '-'. Nothing after it is lost.
    local n, lines = 0, {}
    for textLine in (text .. "\n"):gmatch("([^\n]*)\n") do
      n = n + 1
      lines[n] = n == tonumber(defectLine) and textLine:gsub('"".*""', '""door 1-2""') or textLine
    end
    entities, connections, got = parse(table.concat(lines, "\n", 1, n - 1), name)
    check.eq(entities, tonumber(row[column.entities]), name .. " damaged: entities")
    check.eq(connections, tonumber(row[column.connections]), name .. " damaged: connections")
    expectReports(got, defectLine, name .. " damaged")
  end
  maps = maps + 1
end
check.eq(maps > 0, true, "maps in the manifest")
print("corpus: " .. maps .. " maps ok")
