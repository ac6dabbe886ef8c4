# Counts the glyphs rendered once the first frame has started, for a second: none when every
# size the rain uses was made while the window was shown.
set pagination off
set breakpoint pending on
set $made = 0
tbreak tavrel::DrawFrame
run
break tavrel::AddTrimmedGlyph
commands
silent
set $made = $made + 1
continue
end
python import subprocess; subprocess.Popen(['sh', '-c', 'sleep 1; kill -TERM %d' % gdb.selected_inferior().pid])
continue
printf "glyphs made in frames: %d\n", $made
