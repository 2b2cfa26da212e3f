# Sourced by tools/demo.sh: an image through the clipboard. The PNG is
# decoded to a bitmap on the clipboard, then pasted into a JPEG file.
cp "$root/demo/picture.png" "$work/"
echo "== Quillory.exe -c \"$(winpath "$work/picture.png")\"; the clipboard's formats (8 is a bitmap):"
run "$bin/Quillory.exe" -c "$(winpath "$work/picture.png")"
run "$bin/qlry_clip.exe" formats | tr -d '\r' | tr '\n' ' '
echo
echo "== Quillory.exe -p \"$(winpath "$work/picture.jpg")\" writes the bitmap as a JPEG file:"
run "$bin/Quillory.exe" -p "$(winpath "$work/picture.jpg")"
identify "$work/picture.jpg"
echo
