-- Writes entities back as VMF text, for scripts that build or change maps.
--
--   local VmfWriter = require("vmf_writer")
--   local out = VmfWriter.new()
--   out:World(document)                -- the world block with the document's world pairs
--   out:Entity(entity, { id = 500 })   -- one entity; pairs named in the table replace its own
--   Mapwright.WriteFile("new.vmf", out:Text())
--
-- Only what a document holds is written: entity pairs and connections, and the
-- world pairs. Brushes are not part of a document, so brush entities come out
-- as point entities.
local VmfWriter = {}
VmfWriter.__index = VmfWriter

function VmfWriter.new()
  return setmetatable({ lines = {} }, VmfWriter)
end

local function pair(key, value)
  return string.format('\t"%s" "%s"', key, value)
end

function VmfWriter:Add(line)
  self.lines[#self.lines + 1] = line
end

function VmfWriter:World(document)
  self:Add("world")
  self:Add("{")
  for i = 0, document:WorldKeyCount() - 1 do self:Add(pair(document:WorldKey(i))) end
  self:Add("}")
end

-- A connection reads "Output target,Input,parameter,delay,times"; in the file
-- the output is the key and the rest, after the blank, is the value.
local function splitConnection(text)
  return text:match("^(%S+) (.*)$")
end

function VmfWriter:Entity(entity, replacements)
  replacements = replacements or {}
  self:Add("entity")
  self:Add("{")
  for i = 0, entity:KeyCount() - 1 do
    local key, value = entity:Key(i)
    if replacements[key] ~= nil then value = replacements[key] end
    self:Add(pair(key, value))
  end
  if entity:ConnectionCount() > 0 then
    self:Add("\tconnections")
    self:Add("\t{")
    for i = 0, entity:ConnectionCount() - 1 do
      self:Add("\t" .. pair(splitConnection(entity:Connection(i))))
    end
    self:Add("\t}")
  end
  self:Add("}")
end

function VmfWriter:Text()
  return table.concat(self.lines, "\n") .. "\n"
end

return VmfWriter
