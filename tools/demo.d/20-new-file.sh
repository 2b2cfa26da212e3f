# Sourced by tools/demo.sh: paste the clipboard as a new file. Quillory.exe
# -p "<folder>" /n asks for the name; qlry_name_file answers the dialog as a
# user would and presses OK.
echo "== Quillory.exe -p \"$(winpath "$work")\" /n, answered with the name \"pasted note\" and .txt"
run "$bin/Quillory.exe" -p "$(winpath "$work")" /n &
quillory_pid=$!
run "$bin/qlry_name_file.exe" "pasted note" .txt
wait "$quillory_pid"
echo "== the new file pasted note.txt:"
show "$work/pasted note.txt"
echo
