; ---------------------------------------------------------------------------
; BASIC: the keywords in token order (80h first; the last letter of each
; has bit 7 set), and the routines of the statements and functions.
; ---------------------------------------------------------------------------
keyword_table:
        db      'EN', 'D' + 80h             ; 80h
        db      'FO', 'R' + 80h             ; 81h
        db      'RESE', 'T' + 80h           ; 82h
        db      'SE', 'T' + 80h             ; 83h
        db      'CL', 'S' + 80h             ; 84h
        db      'CM', 'D' + 80h             ; 85h
        db      'RANDO', 'M' + 80h          ; 86h
        db      'NEX', 'T' + 80h            ; 87h
        db      'DAT', 'A' + 80h            ; 88h
        db      'INPU', 'T' + 80h           ; 89h
        db      'DI', 'M' + 80h             ; 8Ah
        db      'REA', 'D' + 80h            ; 8Bh
        db      'LE', 'T' + 80h             ; 8Ch
        db      'GOT', 'O' + 80h            ; 8Dh
        db      'RU', 'N' + 80h             ; 8Eh
        db      'I', 'F' + 80h              ; 8Fh
        db      'RESTOR', 'E' + 80h         ; 90h
        db      'GOSU', 'B' + 80h           ; 91h
        db      'RETUR', 'N' + 80h          ; 92h
        db      'RE', 'M' + 80h             ; 93h
        db      'STO', 'P' + 80h            ; 94h
        db      'ELS', 'E' + 80h            ; 95h
        db      'TRO', 'N' + 80h            ; 96h
        db      'TROF', 'F' + 80h           ; 97h
        db      'DEFST', 'R' + 80h          ; 98h
        db      'DEFIN', 'T' + 80h          ; 99h
        db      'DEFSN', 'G' + 80h          ; 9Ah
        db      'DEFDB', 'L' + 80h          ; 9Bh
        db      'LIN', 'E' + 80h            ; 9Ch
        db      'EDI', 'T' + 80h            ; 9Dh
        db      'ERRO', 'R' + 80h           ; 9Eh
        db      'RESUM', 'E' + 80h          ; 9Fh
        db      'OU', 'T' + 80h             ; A0h
        db      'O', 'N' + 80h              ; A1h
        db      'OPE', 'N' + 80h            ; A2h
        db      'FIEL', 'D' + 80h           ; A3h
        db      'GE', 'T' + 80h             ; A4h
        db      'PU', 'T' + 80h             ; A5h
        db      'CLOS', 'E' + 80h           ; A6h
        db      'LOA', 'D' + 80h            ; A7h
        db      'MERG', 'E' + 80h           ; A8h
        db      'NAM', 'E' + 80h            ; A9h
        db      'KIL', 'L' + 80h            ; AAh
        db      'LSE', 'T' + 80h            ; ABh
        db      'RSE', 'T' + 80h            ; ACh
        db      'SAV', 'E' + 80h            ; ADh
        db      'SYSTE', 'M' + 80h          ; AEh
        db      'LPRIN', 'T' + 80h          ; AFh
        db      'DE', 'F' + 80h             ; B0h
        db      'POK', 'E' + 80h            ; B1h
        db      'PRIN', 'T' + 80h           ; B2h
        db      'CON', 'T' + 80h            ; B3h
        db      'LIS', 'T' + 80h            ; B4h
        db      'LLIS', 'T' + 80h           ; B5h
        db      'DELET', 'E' + 80h          ; B6h
        db      'AUT', 'O' + 80h            ; B7h
        db      'CLEA', 'R' + 80h           ; B8h
        db      'CLOA', 'D' + 80h           ; B9h
        db      'CSAV', 'E' + 80h           ; BAh
        db      'NE', 'W' + 80h             ; BBh
        db      'TAB', '(' + 80h            ; BCh
        db      'T', 'O' + 80h              ; BDh
        db      'F', 'N' + 80h              ; BEh
        db      'USIN', 'G' + 80h           ; BFh
        db      'VARPT', 'R' + 80h          ; C0h
        db      'US', 'R' + 80h             ; C1h
        db      'ER', 'L' + 80h             ; C2h
        db      'ER', 'R' + 80h             ; C3h
        db      'STRING', '$' + 80h         ; C4h
        db      'INST', 'R' + 80h           ; C5h
        db      'POIN', 'T' + 80h           ; C6h
        db      'TIME', '$' + 80h           ; C7h
        db      'ME', 'M' + 80h             ; C8h
        db      'INKEY', '$' + 80h          ; C9h
        db      'THE', 'N' + 80h            ; CAh
        db      'NO', 'T' + 80h             ; CBh
        db      'STE', 'P' + 80h            ; CCh
        db      '+' + 80h                   ; CDh
        db      '-' + 80h                   ; CEh
        db      '*' + 80h                   ; CFh
        db      '/' + 80h                   ; D0h
        db      5Bh + 80h                   ; D1h: the up arrow
        db      'AN', 'D' + 80h             ; D2h
        db      'O', 'R' + 80h              ; D3h
        db      '>' + 80h                   ; D4h
        db      '=' + 80h                   ; D5h
        db      '<' + 80h                   ; D6h
        db      'SG', 'N' + 80h             ; D7h
        db      'IN', 'T' + 80h             ; D8h
        db      'AB', 'S' + 80h             ; D9h
        db      'FR', 'E' + 80h             ; DAh
        db      'IN', 'P' + 80h             ; DBh
        db      'PO', 'S' + 80h             ; DCh
        db      'SQ', 'R' + 80h             ; DDh
        db      'RN', 'D' + 80h             ; DEh
        db      'LO', 'G' + 80h             ; DFh
        db      'EX', 'P' + 80h             ; E0h
        db      'CO', 'S' + 80h             ; E1h
        db      'SI', 'N' + 80h             ; E2h
        db      'TA', 'N' + 80h             ; E3h
        db      'AT', 'N' + 80h             ; E4h
        db      'PEE', 'K' + 80h            ; E5h
        db      'CV', 'I' + 80h             ; E6h
        db      'CV', 'S' + 80h             ; E7h
        db      'CV', 'D' + 80h             ; E8h
        db      'EO', 'F' + 80h             ; E9h
        db      'LO', 'C' + 80h             ; EAh
        db      'LO', 'F' + 80h             ; EBh
        db      'MKI', '$' + 80h            ; ECh
        db      'MKS', '$' + 80h            ; EDh
        db      'MKD', '$' + 80h            ; EEh
        db      'CIN', 'T' + 80h            ; EFh
        db      'CSN', 'G' + 80h            ; F0h
        db      'CDB', 'L' + 80h            ; F1h
        db      'FI', 'X' + 80h             ; F2h
        db      'LE', 'N' + 80h             ; F3h
        db      'STR', '$' + 80h            ; F4h
        db      'VA', 'L' + 80h             ; F5h
        db      'AS', 'C' + 80h             ; F6h
        db      'CHR', '$' + 80h            ; F7h
        db      'LEFT', '$' + 80h           ; F8h
        db      'RIGHT', '$' + 80h          ; F9h
        db      'MID', '$' + 80h            ; FAh
        db      27h + 80h                   ; FBh
        db      0

; Statements 80h-BBh but for disk BASIC's OPEN to SAVE (A2h-ADh); syntax_error
; for the others this BASIC does not have.
stmt_table:
        dw      end_stmt        ; END
        dw      for_stmt        ; FOR
        dw      reset_stmt      ; RESET
        dw      set_stmt        ; SET
        dw      cls_stmt        ; CLS
        dw      syntax_error    ; CMD
        dw      random_stmt     ; RANDOM
        dw      next_stmt       ; NEXT
        dw      data_stmt       ; DATA
        dw      input_stmt      ; INPUT
        dw      dim_stmt        ; DIM
        dw      read_stmt       ; READ
        dw      let_stmt        ; LET
        dw      goto_stmt       ; GOTO
        dw      run_stmt        ; RUN
        dw      if_stmt         ; IF
        dw      restore_stmt    ; RESTORE
        dw      gosub_stmt      ; GOSUB
        dw      return_stmt     ; RETURN
        dw      rem_stmt        ; REM
        dw      stop_stmt       ; STOP
        dw      rem_stmt        ; ELSE
        dw      tron_stmt       ; TRON
        dw      troff_stmt      ; TROFF
        dw      def_types_stmt  ; DEFSTR
        dw      def_types_stmt  ; DEFINT
        dw      def_types_stmt  ; DEFSNG
        dw      def_types_stmt  ; DEFDBL
        dw      syntax_error    ; LINE
        dw      edit_stmt       ; EDIT
        dw      error_stmt      ; ERROR
        dw      resume_stmt     ; RESUME
        dw      out_stmt        ; OUT
        dw      on_error_stmt   ; ON
        dw      system_stmt     ; SYSTEM
        dw      lprint_stmt     ; LPRINT
        dw      syntax_error    ; DEF
        dw      poke_stmt       ; POKE
        dw      print_stmt      ; PRINT
        dw      cont_stmt       ; CONT
        dw      list_stmt       ; LIST
        dw      llist_stmt      ; LLIST
        dw      delete_stmt     ; DELETE
        dw      auto_stmt       ; AUTO
        dw      clear_stmt      ; CLEAR
        dw      cload_stmt      ; CLOAD
        dw      csave_stmt      ; CSAVE
        dw      new_stmt        ; NEW

; Functions C0h-C9h, D7h-E5h and EFh-FAh (THEN to < are no functions, CVI
; to MKD$ disk BASIC's); syntax_error for those this BASIC does not have.
function_table:
        dw      fn_varptr       ; VARPTR
        dw      fn_usr          ; USR
        dw      fn_erl          ; ERL
        dw      fn_err          ; ERR
        dw      fn_string       ; STRING$
        dw      syntax_error    ; INSTR
        dw      fn_point        ; POINT
        dw      syntax_error    ; TIME$
        dw      fn_mem          ; MEM
        dw      fn_inkey        ; INKEY$
        dw      fn_sgn          ; SGN
        dw      fn_int          ; INT
        dw      fn_abs          ; ABS
        dw      fn_fre          ; FRE
        dw      fn_inp          ; INP
        dw      fn_pos          ; POS
        dw      fn_sqr          ; SQR
        dw      fn_rnd          ; RND
        dw      fn_log          ; LOG
        dw      fn_exp          ; EXP
        dw      fn_cos          ; COS
        dw      fn_sin          ; SIN
        dw      fn_tan          ; TAN
        dw      fn_atn          ; ATN
        dw      fn_peek         ; PEEK
        dw      fn_cint         ; CINT
        dw      fn_csng         ; CSNG
        dw      fn_cdbl         ; CDBL
        dw      fn_fix          ; FIX
        dw      fn_len          ; LEN
        dw      fn_str          ; STR$
        dw      fn_val          ; VAL
        dw      fn_asc          ; ASC
        dw      fn_chr          ; CHR$
        dw      fn_left         ; LEFT$
        dw      fn_right        ; RIGHT$
        dw      fn_mid          ; MID$
