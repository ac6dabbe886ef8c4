set pagination off
set $steps = 0
set $frames = 0
break tavrel::StepRain
commands
silent
set $steps = $steps + 1
continue
end
break tavrel::DrawFrame
commands
silent
set $frames = $frames + 1
continue
end
continue
printf "%d %d\n", $frames, $steps
