-- wrk script: cycles through the keyword and genre searches a user of the program makes.
local searches = {
  "T1=jazz&F=1&RA=1&MA=1&NA=1&LIVE=1&SPD=0",
  "T1=blues+rock&F=1&RA=1&MA=1&NA=1&LIVE=1&SPD=0",
  "T1=classical&F=1&RA=1&MA=1&NA=1&LIVE=1&SPD=128",
  "T1=news&F=1&RA=1&MA=1&NA=1&MPEG=1&LIVE=1&SPD=0",
  "T1=country&F=1&RA=1&MA=1&NA=1&LIVE=1&SPD=0",
  "T1=Jazz&F=1&RA=1&MA=1&NA=1&LIVE=1&FMT=2&SPD=0",
  "T1=80s,80's,1980,eighties&F=1&RA=1&MA=1&NA=1&LIVE=1&FMT=2&SPD=0",
  "T1=^ska^,^ska$,ska-,ska/,skamusic,`ska&F=1&RA=1&MA=1&NA=1&LIVE=1&FMT=2&SPD=0",
  "T1=techno^,techno$,techno-,techno/,technomusic&F=1&RA=1&MA=1&NA=1&LIVE=1&FMT=2&SPD=0",
  "T1=Talk/News&F=1&RA=1&MA=1&NA=1&LIVE=1&FMT=1&SPD=0",
  "T1=paris&F=1&RA=1&MA=1&NA=1&LIVE=1&SPD=0",
  "T1=dance+music&F=1&RA=1&MA=1&NA=1&LIVE=1&SPD=0",
  "T1=radio+germany&F=1&RA=1&MA=1&NA=1&LIVE=1&SPD=0",
  "T1=reggae&F=1&RA=1&MA=1&NA=1&LIVE=1&SPD=0",
  "T1=gospel,christian&F=1&RA=1&MA=1&NA=1&LIVE=1&SPD=0",
  "T1=bbc&F=1&RA=1&MA=1&NA=1&LIVE=1&SPD=0",
}
local next_search = 0

request = function()
  next_search = next_search % #searches + 1
  return wrk.format("GET", "/tessivar37.asp?V=3.7&P=T&" .. searches[next_search])
end
