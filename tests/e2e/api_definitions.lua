-- The editor definitions (types/mapwright.lua) describe every function the
-- module registers: each library function, method and token number has a
-- definition with a line of description, and each definition names one.
local check = require("check")
local repository = assert(arg[0]:match("^(.*)/tests/e2e/[^/]*$"), "run from the repository")
local file = assert(io.open(repository .. "/types/mapwright.lua", "rb"))
local text = file:read("*a")
file:close()
check.eq(text:sub(1, 9), "---@meta ", "a LuaLS meta file")

local defined = {}
local previous = ""
for line in text:gmatch("[^\n]+") do
  local owner, separator, name = line:match("^function ([%w_]+)([.:])([%w_]+)%(")
  if owner then
    defined[owner .. separator .. name] = true
    check.eq(previous:match("^%-%-%-[^@]") ~= nil or previous:match("^%-%-%-@") ~= nil, true,
             owner .. separator .. name .. " is described")
  end
  local number = line:match("^(TOKEN_[%u_]+) = ")
  if number then defined[number] = true end
  previous = line
end

local registered = {}
for name, value in pairs(Mapwright) do
  if type(value) == "function" then registered["Mapwright." .. name] = true end
end
local metas = {
  VMF = getmetatable(Mapwright.VMF()),
  VMFEntity = getmetatable(Mapwright.VMF():CreateEntity("x", 1)),
  TokenReader = getmetatable(Mapwright.TokenReader("")),
  VMFBlock = getmetatable(Mapwright.VMF():CreateEntity("x", 1):Block()),
}
for owner, meta in pairs(metas) do
  for name, value in pairs(meta) do
    if type(value) == "function" then registered[owner .. ":" .. name] = true end
  end
end
for name, value in pairs(_G) do
  if type(name) == "string" and name:match("^TOKEN_") and type(value) == "number" then
    registered[name] = true
  end
end

for name in pairs(registered) do check.eq(defined[name], true, name .. " is defined") end
for name in pairs(defined) do
  if name ~= "VMFParseFailure" then check.eq(registered[name], true, name .. " is registered") end
end
print("api_definitions: ok")
