-- Every script function and method, called the way a careless or hostile
-- script might: nothing may raise, crash or disturb memory, and each call
-- yields no values or its documented result.
local check = require("check")

local sample = require("sample_maps").relay

local documentMeta = getmetatable(Mapwright.VMF())
local entityMeta = getmetatable(Mapwright.VMF():CreateEntity("x", 1))
local readerMeta = getmetatable(Mapwright.TokenReader(""))
local blockMeta = getmetatable(Mapwright.VMF():CreateEntity("x", 1):Block())

-- Fresh live objects of each kind, and dead ones.
local function fixture()
  local objects = {}
  objects.reader = Mapwright.TokenReader("a b")
  objects.document = Mapwright.VMF()
  objects.document:Parse(sample)
  objects.entity = objects.document:Entity(0)
  objects.block = objects.entity:Block()
  objects.collectedReader = Mapwright.TokenReader("x")
  readerMeta.__gc(objects.collectedReader)
  objects.collectedDocument = Mapwright.VMF()
  documentMeta.__gc(objects.collectedDocument)
  local reparsed = Mapwright.VMF()
  reparsed:Parse(sample)
  objects.staleEntity = reparsed:Entity(0)
  objects.staleBlock = reparsed:Block(0)
  reparsed:Parse(sample)
  return objects
end

local function wrongFirstArguments(objects, except)
  local wrongs = {
    { "nil", nil }, { "number", 1 }, { "string", "text" }, { "table", {} },
    { "function", print }, { "file", io.stdout }, { "boolean", true },
    { "collected reader", objects.collectedReader },
    { "collected document", objects.collectedDocument },
    { "stale entity", objects.staleEntity }, { "stale block", objects.staleBlock },
  }
  for _, kind in ipairs({ "reader", "document", "entity", "block" }) do
    if kind ~= except then wrongs[#wrongs + 1] = { kind, objects[kind] } end
  end
  return wrongs
end

local metas = { document = documentMeta, entity = entityMeta, reader = readerMeta,
                block = blockMeta }

-- Every function each metatable holds, as registered: a new method is
-- attacked without being named here.
local methods = {}
for kind, meta in pairs(metas) do
  local names = {}
  for name, value in pairs(meta) do
    if type(value) == "function" then names[#names + 1] = name end
  end
  table.sort(names)
  methods[kind] = names
end
check.eq(#methods.document >= 12 and #methods.entity >= 9 and #methods.reader >= 2 and #methods.block >= 15, true,
         "the registered methods are found")

-- The methods added since the first release answer a failure with nil and a
-- message; the others yield nothing.
local answering = {
  document = { Load = true, Save = true, Prefix = true, Transform = true, Merge = true,
               Replace = true, Count = true },
  entity = { SetConnection = true },
  block = { AddKey = true, SetKey = true, RemoveKey = true, SetValue = true, AddBlock = true,
            RemoveBlock = true },
  reader = {},
}
local function refused(kind, name, results, what)
  if answering[kind][name] then check.failure(results, what) else check.none(results, what) end
end

-- 1. Methods on anything that is not a live object of their kind.
for kind, names in pairs(methods) do
  for _, name in ipairs(names) do
    local objects = fixture()
    for _, wrong in ipairs(wrongFirstArguments(objects, kind)) do
      local ok, results = pcall(function() return check.pack(metas[kind][name](wrong[2], "x", 1)) end)
      check.eq(ok, true, kind .. ":" .. name .. "(" .. wrong[1] .. ") raised")
      refused(kind, name, results, kind .. ":" .. name .. "(" .. wrong[1] .. ")")
    end
    -- the objects passed as wrong arguments were not touched
    check.eq(objects.document:EntityCount(), 1, "document intact after " .. name)
    check.eq(objects.entity:Class(), "logic_relay", "entity intact after " .. name)
  end
end

-- 2. Live objects with arguments 2 and 3 of every wrong kind.
local odd = { nil, 1, -1, 0 / 0, 1 / 0, -1 / 0, 2 ^ 31, "", "text", {}, print, true }
for kind, names in pairs(methods) do
  for _, name in ipairs(names) do
    if name ~= "__gc" then
      for i = 1, 12 do
        for j = 1, 12, 3 do
          local objects = fixture()
          local extra = { objects.reader, objects.document, objects.entity, objects.block }
          local second = odd[i]
          local third = j <= #odd and odd[j] or extra[1]
          local ok, results = pcall(function()
            return check.pack(metas[kind][name](objects[kind], second, third))
          end)
          check.eq(ok, true, kind .. ":" .. name .. " with odd arguments raised")
          check.eq(results.n <= 6, true, kind .. ":" .. name .. " result count")
          local ok2, results2 = pcall(function()
            return check.pack(metas[kind][name](objects[kind], extra[i % 4 + 1], extra[j % 4 + 1]))
          end)
          check.eq(ok2, true, kind .. ":" .. name .. " with objects as arguments raised")
          check.eq(results2.n <= 6, true, kind .. ":" .. name .. " result count with objects")
        end
      end
    end
  end
end

-- Library functions with wrong arguments.
for _, name in ipairs({ "ReadFile", "WriteFile", "TokenReader", "VMF" }) do
  for _, wrong in ipairs({ {}, print, true, io.stdout, 0 / 0 }) do
    local ok = pcall(Mapwright[name], wrong, wrong)
    check.eq(ok, true, "Mapwright." .. name .. " with a wrong argument raised")
  end
end
check.none(check.pack(Mapwright.ReadFile({})), "ReadFile of a table")

-- 3. Indices outside 0..count-1, and numbers that are no index: nothing.
local objects = fixture()
local document, entity = objects.document, objects.entity
for _, index in ipairs({ -1, 2 ^ 31 - 1, 2 ^ 31, -2 ^ 31, 1 / 0, -1 / 0, 0 / 0, -0.5, 0.5 }) do
  check.none(check.pack(document:Entity(index)), "Entity(" .. index .. ")")
  check.none(check.pack(entity:Connection(index)), "Connection(" .. index .. ")")
  check.none(check.pack(entity:Key(index)), "Key(" .. index .. ")")
  check.none(check.pack(document:WorldKey(index)), "WorldKey(" .. index .. ")")
end
check.none(check.pack(document:Entity(1)), "Entity(count)")
check.none(check.pack(entity:Connection(1)), "Connection(count)")
check.none(check.pack(entity:Key(3)), "Key(count)")
check.none(check.pack(document:WorldKey(2)), "WorldKey(count)")
entity:RemoveConnection(-0.5)
check.eq(entity:ConnectionCount(), 1, "RemoveConnection(-0.5) removes nothing")

-- 3a. Every integer and text argument of every method, given what it does not
-- take: the call yields nothing and changes nothing. A number's text is the
-- number. Each method's arguments after the object, by kind; a method
-- registered without a line here fails the test.
local signatures = {
  document = {
    Parse = { "text" }, CreateEntity = { "text", "int" }, Rename = { "text" },
    Entity = { "int" }, EntityCount = {}, WorldKey = { "int" }, FindWorldKey = { "text" },
    WorldKeyCount = {}, FindByClass = { "text" }, FindByName = { "text" }, FindByID = { "int" },
    FindNextByName = { "text", "int" }, FindNextByClass = { "text", "int" }, Text = {},
    SetWorldKey = { "text", "text" }, RemoveEntity = { "entity" }, __gc = {},
    Load = { "text" }, Save = { "text" }, BlockCount = {}, Block = { "int" },
    FindBlock = { "text", "int" }, Prefix = { "text" }, Transform = { "opttext", "opttext" },
    Merge = { "document" }, Replace = { "text", "text", "text", "text" },
    Count = { "text", "optname", "optname" },
  },
  entity = {
    Key = { "int" }, KeyCount = {}, Connection = { "int" }, ConnectionCount = {}, Class = {},
    ID = {}, AddKey = { "text", "text" }, AddConnection = { "text", "text" },
    FindKey = { "text" }, ConnectionParts = { "int" }, SetKey = { "text", "text" },
    RemoveKey = { "text" }, RemoveConnection = { "int" }, __gc = {},
    SetConnection = { "int", "text", "text" }, Block = {},
  },
  block = {
    Name = {}, Line = {}, KeyCount = {}, Key = { "int" }, FindKey = { "text" },
    KeyLine = { "int" }, AddKey = { "text", "text" }, SetKey = { "text", "text" },
    RemoveKey = { "text" }, SetValue = { "int", "text" }, BlockCount = {}, Block = { "int" },
    FindBlock = { "text", "int" }, AddBlock = { "text" }, RemoveBlock = { "int" }, __gc = {},
  },
  reader = { ReadToken = {}, __gc = {} },
}
local notText = { { "nil", nil }, { "boolean", true }, { "table", {} }, { "function", print } }
local notInteger = { { "text", "abc" }, { "half", 0.5 }, { "text half", "0.5" }, { "NaN", 0 / 0 },
                     { "infinity", 1 / 0 } }
for _, wrong in ipairs(notText) do notInteger[#notInteger + 1] = wrong end
-- A vector argument may be nothing, but not a text that is no vector.
local notVector = { { "text", "abc" }, { "two numbers", "1 2" }, { "brackets", "[1 2 3]" },
                    { "NaN", "0 nan 0" } }
local good = { text = "targetname,t", int = 0, opttext = "" }
for kind, names in pairs(methods) do
  for _, name in ipairs(names) do
    local signature = signatures[kind][name]
    check.eq(signature ~= nil, true, kind .. ":" .. name .. " has a signature here")
    for position, argument in ipairs(signature) do
      local wrongs = argument == "int" and notInteger or argument == "text" and notText or
                     argument == "opttext" and notVector or {}
      for _, wrong in ipairs(wrongs) do
        local fresh = fixture()
        local before = fresh.document:Text()
        local args = {}
        for i, a in ipairs(signature) do
          args[i] = a == "entity" and fresh.entity or a == "document" and fresh.document or good[a]
        end
        args[position] = wrong[2]
        local results = check.pack(metas[kind][name](fresh[kind], args[1], args[2], args[3],
                                                     args[4]))
        local what = kind .. ":" .. name .. " with " .. wrong[1] .. " as argument " .. position
        refused(kind, name, results, what)
        check.eq(fresh.document:Text(), before, what .. " changed the document")
        check.eq(fresh.document:EntityCount(), 1, what .. " changed the entities")
      end
    end
  end
end
-- Numeric texts are their numbers.
local numbered = Mapwright.VMF()
numbered:Parse(sample .. 'entity\n{\n"id" "1010"\n"classname" "second"\n}\n')
check.eq(numbered:Entity("1"):Class(), "second", 'Entity("1") is Entity(1)')
check.eq(numbered:FindByID("1010"):Class(), "second", 'FindByID("1010")')
check.eq(numbered:FindByID(select(2, numbered:Entity(1):FindKey("id"))):Class(), "second",
         "FindByID of an id read with FindKey")
check.eq(numbered:CreateEntity("x", "12"):ID(), 12, 'CreateEntity("x", "12")')
check.eq(numbered:CreateEntity("x", " 0x10 "):ID(), 16, "a hexadecimal text")
check.none(check.pack(numbered:CreateEntity("x", 2 ^ 31)), "an id past the 32-bit range")
check.none(check.pack(numbered:CreateEntity("x", {})), "CreateEntity with a table")
check.eq(numbered:EntityCount(), 4, "refused creations made nothing")
local keyed = numbered:Entity(0)
local text = numbered:Text()
keyed:SetKey("k", nil)
keyed:SetKey("message", 'He said " "targetname" "door')
keyed:AddKey('a"b', "c")
keyed:AddConnection("On", 'x",y')
numbered:SetWorldKey("k", '"')
numbered:Rename('"')
check.eq(numbered:Text(), text, "texts with a double quote or no text are refused")
numbered:Parse(nil)
check.eq(numbered:EntityCount(), 4, "Parse(nil) leaves the document as it was")

-- 3b. A long value read and stored again comes back whole.
local long = string.rep("x", 1500)
local kept = Mapwright.VMF()
kept:Parse('entity\n{\n"message" "' .. long .. '"\n}\n')
local e0 = kept:Entity(0)
check.eq(#select(2, e0:FindKey("message")), 1500, "FindKey gives the value whole")
e0:SetKey("message", select(2, e0:FindKey("message")) .. "y")
check.eq(kept:Text(), 'entity\n{\n"message" "' .. long .. 'y"\n}\n', "and SetKey stores it whole")

-- 4. Texts of 0 bytes, 1 MB and 64 MB.
local megabyte = string.rep("m", 1024 * 1024)
local huge = string.rep("h", 64 * 1024 * 1024)
for _, text in ipairs({ "", megabyte, huge }) do
  local doc = Mapwright.VMF()
  doc:Parse(text)
  check.eq(doc:EntityCount(), 0, "no entity in a plain text of " .. #text)
  local created = doc:CreateEntity(text, 5)
  created:AddKey(text, text)
  created:AddConnection(text, "target," .. text)
  check.eq(#created:Class(), #text, "class kept whole")
  check.eq(#select(2, created:Key(0)), #text, "value kept whole")
  check.eq(#created:Connection(0), 2 * #text + 8, "connection kept whole")
  check.eq(doc:FindByClass(text):ID(), 5, "found by a long class")
  doc:Rename(3)
  local reader = Mapwright.TokenReader(text)
  local kind, token = reader:ReadToken()
  check.eq(#token <= 2048, true, "token cut")
end
local bigMap = string.rep('entity\n{\n"targetname" "n"\n"value" "' .. string.rep("v", 500) .. '"\n}\n', 60000)
local doc = Mapwright.VMF()
doc:Parse(bigMap)
check.eq(doc:EntityCount(), 60000, "entities of a 30 MB map")
doc:Rename(1)
check.eq(select(2, doc:Entity(59999):FindKey("targetname")), "n1", "renamed once")
huge, megabyte, bigMap = nil, nil, nil

-- 5. 100,000 entities created, then the document collected.
do
  local many = Mapwright.VMF()
  for i = 1, 100000 do many:CreateEntity("info_target", i) end
  check.eq(many:EntityCount(), 100000, "created entities")
  local last = many:FindByID(100000)
  check.eq(last:Class(), "info_target", "the last one")
  many = nil
  collectgarbage("collect")
  collectgarbage("collect")
  check.none(check.pack(last:Class()), "handle into a collected document")
end

-- 6. Callbacks that turn on the document being parsed: the parse leaves at
-- the first report that changed it.
local bad = 'entity\n{\n"id" "1"\nconnections\n{\n"A" "x"\n"B" "t,p"\n"C" "y"\n}\n}\nentity\n{\n}'
local victim = Mapwright.VMF()
local reports = 0
function VMFParseFailure()
  reports = reports + 1
  documentMeta.__gc(victim) -- the document dies under its own parse
  collectgarbage("collect")
end
victim:Parse(bad)
check.eq(reports, 1, "the parse left when its document was collected")
check.none(check.pack(victim:EntityCount()), "collected under its own parse")

local target = Mapwright.VMF()
function VMFParseFailure()
  for i = 1, 100 do target:CreateEntity("made_in_callback", i) end
  target:Entity(0):AddKey("added", "in callback")
  target:Rename(9)
end
target:Parse(bad)
check.eq(target:EntityCount(), 101, "what was read before the report, and the entities made in it")
check.eq(target:Entity(0):ConnectionCount(), 0, "the parse left before the next output")
check.eq(select(2, target:Entity(0):FindKey("added")), "in callback", "pair added in the callback")
-- The parse of a document from a Syntax report inside an open connections
-- block: the document is the inner one alone, and its text is its own.
local outer = Mapwright.VMF()
function VMFParseFailure(kind)
  if kind == "Syntax" then outer:Parse('entity\n{\n"targetname" "door"\n}\n') end
end
outer:Parse('entity\n{\nconnections\n{\n"OnTrigger" "door,Open')
check.eq(outer:EntityCount(), 1, "the inner document alone")
check.eq(outer:Entity(0):ConnectionCount(), 0, "no output of the outer text")
outer:Rename("_x")
check.eq(outer:Text(), 'entity\n{\n"targetname" "door_x"\n}\n', "the inner text, renamed")

VMFParseFailure = nil
local reread = Mapwright.VMF()
reread:Parse(target:Text())
check.eq(reread:EntityCount(), 101, "the text reads back as the document")
check.eq(select(2, reread:Entity(0):FindKey("added")), "in callback", "with the pair")

VMFParseFailure = nil
target:Parse(bad) -- a missing callback is an error in the host, printed, not raised
VMFParseFailure = 42
target:Parse(bad)
check.eq(target:EntityCount(), 2, "parse with an unusable callback")
print("hostile_calls: ok")
