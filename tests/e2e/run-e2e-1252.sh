#!/usr/bin/env bash
# The scenarios of capture, restart, the text menu, search and settings again with Quillmate on
# code page 1252 (an English system), and the one that checks its files stay Shift-JIS there.
exec bash "$(dirname "$0")/run-e2e.sh" --locale en_US.UTF-8 \
    record_and_quit restart_restores_lists choose_from_the_text_menu \
    search_narrows_a_long_history_to_one_text settings_dialog_saves_at_once_and_capture_goes_on \
    search_takes_every_typed_character_and_finds_katakana_in_half_width \
    code_page_1252_keeps_shift_jis pad_text_outside_the_code_page_comes_back_exactly "$@"
