# Sourced by tools/demo.sh (it provides run, winpath, $bin and $work): the
# Explorer extension. The stand-in host plays Explorer: with text on the
# clipboard it opens the context menu of notes.txt, prints it and chooses
# "Append", which starts Quillory.exe.
echo "== regsvr32 QLRY_WS.dll; AppFolder names the folder of Quillory.exe"
run regsvr32 /s "$(winpath "$bin/QLRY_WS.dll")"
run reg add 'HKCU\Software\Varnel\Quillory' /v AppFolder /d "$(winpath "$bin")" /f >/dev/null
run "$bin/qlry_clip.exe" set "added from the context menu"
echo "== the context menu of notes.txt, and choosing Append:"
run "$bin/qlry_explorer_host.exe" --invoke Append "$(winpath "$work/notes.txt")" | tr -d '\r'
# The extension does not wait for the program it starts.
for _ in $(seq 1 100); do
  grep -q "added from the context menu" "$work/notes.txt" && break
  sleep 0.1
done
echo "== notes.txt after choosing Append:"
show "$work/notes.txt"
echo
run regsvr32 /s /u "$(winpath "$bin/QLRY_WS.dll")"
