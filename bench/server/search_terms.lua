-- wrk script: the keyword and genre searches of a generated list (make_queries.py), one request query a
-- line, in the file named by TESSIVAR_QUERIES. Each wrk thread starts at its own place in the list and
-- walks it round; every search is computed unless the answer cache holds it.
local searches = {}
local path = os.getenv("TESSIVAR_QUERIES")
if path then
  for line in io.lines(path) do
    if #line > 0 then searches[#searches + 1] = line end
  end
end
if #searches == 0 then
  searches[1] = "T1=jazz&F=1&RA=1&MA=1&NA=1&LIVE=1&SPD=0"
end

local threads = 0
setup = function(thread)
  thread:set("start", threads * 7919)
  threads = threads + 1
end

local next_search = nil
request = function()
  if next_search == nil then next_search = (start or 0) % #searches end
  next_search = next_search % #searches + 1
  return wrk.format("GET", "/tessivar37.asp?V=3.7&P=T&" .. searches[next_search])
end
