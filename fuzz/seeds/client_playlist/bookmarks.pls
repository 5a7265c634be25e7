[playlist]
File1=http://a.example/1
Title1=First
Length1=-1
File3=mms://b.example/3
NumberOfEntries=2
Version=2
