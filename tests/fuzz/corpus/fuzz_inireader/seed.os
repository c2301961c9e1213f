[Options]
CheckBox1=1
[Edits]
Edit4=cdemu load 0 "%1"
[other]
language=english.lng
[ListBox1]
0=/a
ins=1
