; KESTREL open firmware: the 12 KB BASIC ROM at 0000h-2FFFh.
        org     0000h
        di
        halt
        ds      3000h - $, 0
