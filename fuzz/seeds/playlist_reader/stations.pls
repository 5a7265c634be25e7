[playlist]
NumberOfEntries=2
File1=http://a.example/1
Title1=First
Length1=-1
file2 = http://a.example/2 
TITLE2=Second=2
File1234567=x
Title3=no file
Version=2
