-- Mapwright.ReadFile and Mapwright.WriteFile, run in an empty folder that is
-- also the host's root.
local check = require("check")

local function exists(path)
  local file = io.open(path, "rb")
  if file then file:close() end
  return file ~= nil
end

local function contents(path)
  local file = assert(io.open(path, "rb"))
  local bytes = file:read("*a")
  file:close()
  return bytes
end

local function put(path, bytes)
  local file = assert(io.open(path, "wb"))
  file:write(bytes)
  file:close()
end

-- A missing file in an existing folder is created empty.
check.yields(check.pack(Mapwright.ReadFile("fresh.txt")), { "" }, "ReadFile of a missing file")
check.eq(exists("fresh.txt"), true, "ReadFile created the file")
-- A missing folder gives nothing and creates nothing.
check.none(check.pack(Mapwright.ReadFile("nofolder/x.txt")), "ReadFile in a missing folder")
check.eq(exists("nofolder"), false, "no folder created")
check.none(check.pack(Mapwright.ReadFile(".")), "ReadFile of a directory")

-- Bytes come back unchanged up to the first zero byte.
put("crlf.txt", "a\r\nb\r\n")
check.eq(Mapwright.ReadFile("crlf.txt"), "a\r\nb\r\n", "CR LF kept")
put("zero.bin", "before\0after")
check.eq(Mapwright.ReadFile("zero.bin"), "before", "up to the first zero byte")

-- WriteFile only creates new files, and says true when it stored the text.
put("old.txt", "keep")
check.none(check.pack(Mapwright.WriteFile("old.txt", "replace")), "WriteFile over a file")
check.eq(contents("old.txt"), "keep", "existing file unchanged")
check.yields(check.pack(Mapwright.WriteFile("new.txt", "line\r\n\255")), { true }, "WriteFile")
check.eq(contents("new.txt"), "line\r\n\255", "written bytes")
check.none(check.pack(Mapwright.WriteFile("notext.txt")), "WriteFile without a text")
check.none(check.pack(Mapwright.WriteFile("notext.txt", {})), "WriteFile of a table")
check.eq(exists("notext.txt"), false, "nothing written without a text")
check.none(check.pack(Mapwright.WriteFile("nofolder/new.txt", "x")), "WriteFile in a missing folder")
check.eq(Mapwright.ReadFile("new.txt"), "line\r\n\255", "round trip")
Mapwright.WriteFile("empty.txt", "")
check.eq(contents("empty.txt"), "", "empty text makes an empty file")
local big = string.rep("0123456789abcdef", 4 * 1024 * 1024)
Mapwright.WriteFile("big.txt", big)
check.eq(Mapwright.ReadFile("big.txt") == big, true, "64 MB round trip")

-- Paths that would leave the root resolve to nil and touch nothing.
check.none(check.pack(Mapwright.ReadFile("../escape.txt")), "ReadFile through ..")
check.none(check.pack(Mapwright.WriteFile("../escape.txt", "x")), "WriteFile through ..")
check.eq(exists("../escape.txt"), false, "nothing written outside the root")
check.none(check.pack(Mapwright.ReadFile("/etc/hostname")), "absolute path outside the root")
check.eq(Mapwright.ReadFile("sub/../crlf.txt"), "a\r\nb\r\n", ".. inside the root")

-- Links inside the root that lead out reach nothing outside: not through a
-- linked folder, a linked file, nor a link to a file that does not exist.
os.execute("mkdir ../outside && printf secret > ../outside/secret.txt")
os.execute("ln -s ../outside link_dir && ln -s ../outside/secret.txt link_file")
os.execute("ln -s ../outside/created.txt dangling")
check.none(check.pack(Mapwright.ReadFile("link_dir/secret.txt")), "ReadFile through a linked folder")
check.none(check.pack(Mapwright.ReadFile("link_file")), "ReadFile of a linked file")
check.none(check.pack(Mapwright.ReadFile("dangling")), "ReadFile of a dangling link")
check.none(check.pack(Mapwright.WriteFile("link_dir/x.txt", "x")), "WriteFile through a link")
check.none(check.pack(Mapwright.WriteFile("dangling", "x")), "WriteFile to a dangling link")
check.eq(exists("../outside/created.txt") or exists("../outside/x.txt"), false,
         "nothing created outside the root")
check.eq(contents("../outside/secret.txt"), "secret", "the file outside is untouched")

-- A document loaded from a file and saved back over it, run after run.
local sample = 'entity\n{\n"id" "1"\n"targetname" "door"\n}\n'
put("map.vmf", sample)
os.execute("chmod 640 map.vmf")
local vmf = Mapwright.VMF()
check.yields(check.pack(vmf:Load("map.vmf")), { true }, "Load")
check.eq(vmf:Text(), sample, "Load reads the file")
for run = 1, 3 do
  local again = Mapwright.VMF()
  again:Load("map.vmf")
  again:Entity(0):SetKey("run", tostring(run))
  check.yields(check.pack(again:Save("map.vmf")), { true }, "Save over the file")
  check.eq(contents("map.vmf"), again:Text(), "Save wrote Text()")
end
check.eq(io.popen("stat -c %a map.vmf"):read("*l"), "640", "a replaced file keeps its mode")
-- What cannot be read leaves the document as it was and creates nothing.
-- Each says why, in words that tell a missing file from a folder; a file
-- with a zero byte is refused whole, so that no Save can cut it there.
put("zero.vmf", "entity\n{\n}\n\0entity\n{\n}\n")
os.execute("mkfifo fifo.vmf")
local messages = {}
for _, path in ipairs({ "missing.vmf", "nofolder/x.vmf", ".", "link_dir/secret.txt", "link_file",
                        "zero.vmf", "fifo.vmf" }) do
  local results = check.pack(vmf:Load(path))
  check.failure(results, "Load of " .. path)
  messages[path] = results[2]
end
check.eq(messages["missing.vmf"] ~= messages["."], true, "a missing file and a folder differ")
check.eq(messages["zero.vmf"]:find("zero byte", 1, true) ~= nil, true, messages["zero.vmf"])
check.eq(exists("missing.vmf"), false, "Load creates no file")
check.eq(vmf:Text(), sample, "a failed Load leaves the document")
-- A Load kills the handles into what was there; a resolver that parses the
-- document anew stops the Load or the Save, and the document is what that
-- parse left.
local held = vmf:Entity(0)
check.yields(check.pack(vmf:Load("map.vmf")), { true }, "Load again")
check.none(check.pack(held:Class()), "a handle from before the Load")
local resolve = util.RelativePathToFull
local other = 'entity\n{\n"id" "9"\n}\nentity\n{\n"id" "10"\n}\n'
util.RelativePathToFull = function(path) vmf:Parse(other) return resolve(path) end
local saved = contents("map.vmf")
check.failure(check.pack(vmf:Load("map.vmf")), "Load with a resolver that parses")
check.eq(vmf:Text(), other, "the document is the resolver's")
check.failure(check.pack(vmf:Save("map.vmf")), "Save with a resolver that parses")
check.eq(contents("map.vmf"), saved, "and nothing was saved")
util.RelativePathToFull = resolve
vmf:Parse(sample)
-- Paths that name no file, or lead out through a link, store nothing; no
-- temporary file is left in the root either way.
local before = io.popen("ls -A | sort"):read("*a")
for _, path in ipairs({ "", ".", "nofolder/x.vmf", "link_dir/x.vmf", "link_file", "dangling",
                        "fifo.vmf" }) do
  check.failure(check.pack(vmf:Save(path)), "Save to " .. path)
end
check.eq(io.popen("stat -c %F fifo.vmf"):read("*l"), "fifo", "a FIFO is not replaced")
check.eq(io.popen("ls -A | sort"):read("*a"), before, "failed saves leave nothing")
check.eq(contents("../outside/secret.txt"), "secret", "Save never writes outside the root")
check.eq(exists("../outside/created.txt"), false, "nor creates a file there")

-- util.RelativePathToFull is called once per call and looked up anew each time.
local original = util.RelativePathToFull
local calls = 0
util.RelativePathToFull = function(path)
  calls = calls + 1
  return original(path)
end
Mapwright.ReadFile("crlf.txt")
Mapwright.ReadFile("nofolder/x.txt")
Mapwright.WriteFile("counted.txt", "x")
Mapwright.WriteFile("counted.txt", "y")
check.eq(calls, 4, "one resolve per call")
check.eq(contents("counted.txt"), "x", "second write refused")

-- Resolvers that misbehave: nothing is opened and nothing breaks.
for _, resolver in ipairs({
  function() return nil end,
  function() return 42 end,
  function() return {} end,
  function() error("resolver failure") end,
}) do
  util.RelativePathToFull = resolver
  check.none(check.pack(Mapwright.ReadFile("crlf.txt")), "ReadFile with a bad resolver")
  Mapwright.WriteFile("bad.txt", "x")
end
util.RelativePathToFull = nil
check.none(check.pack(Mapwright.ReadFile("crlf.txt")), "ReadFile without a resolver")
util = nil
check.none(check.pack(Mapwright.ReadFile("crlf.txt")), "ReadFile without util")
util = { RelativePathToFull = original }
check.eq(exists("bad.txt"), false, "no file made through a bad resolver")
check.eq(exists("42"), false, "a number result is not a path")

-- A file held by a writer (an exclusive lock) cannot be read. The holder
-- keeps its lock until the script opens and closes the gate.
put("locked.txt", "data")
os.execute("mkfifo gate")
local holder = io.popen("flock -x locked.txt -c 'echo held; cat gate >/dev/null'")
check.eq(holder:read("*l"), "held", "lock taken")
check.none(check.pack(Mapwright.ReadFile("locked.txt")), "ReadFile of a locked file")
assert(io.open("gate", "w")):close()
holder:close()
check.eq(Mapwright.ReadFile("locked.txt"), "data", "readable once the writer is gone")
print("file_io: ok")
