
  [PLAYLIST]  
; comment
File0=http://zero.example/
