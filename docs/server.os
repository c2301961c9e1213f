; Tevo option set for tevo-cli on a server. It names only what it changes; everything else
; keeps Tevo's default. Copy it to ~/.config/tevo/server.os to make it your own: the systemd
; unit takes that file when it exists, else this example.
[Options]
; Delete Files: the volumes, SFV and ZIP files of each extracted set go (needed by --watch).
CheckBox3=1
; Open NFOs: off, a server has nobody to read them.
CheckBox5=0
[Edits]
; Watch every 60 seconds.
Edit6=60
