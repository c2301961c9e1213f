[Options]
CheckBox3=1
CheckBox5=0
CheckBox17=1
[Edits]
Edit6=60
