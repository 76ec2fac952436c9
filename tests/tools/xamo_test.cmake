# Drives the built xamo on the files in tests/tools/data: golden output, broken files, exit codes.
#   cmake -DXAMO=<xamo> -DDATA=<dir> -DOUT=<scratch dir> [-DEMU=<emulator>] -P xamo_test.cmake
set(failures 0)
file(MAKE_DIRECTORY "${OUT}")

# Runs xamo with the arguments after the first two, expects exit code `rc` and, unless it is
# empty, the text `want` somewhere in its output (stdout and stderr).
function(expect rc want)
  execute_process(COMMAND ${EMU} ${XAMO} ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE got)
  set(all "${out}${err}")
  if(NOT got EQUAL rc)
    message("FAIL: xamo ${ARGN}: exit code ${got}, expected ${rc}\n${all}")
    math(EXPR failures "${failures} + 1")
  elseif(want AND NOT all MATCHES "${want}")
    message("FAIL: xamo ${ARGN}: output lacks \"${want}\":\n${all}")
    math(EXPR failures "${failures} + 1")
  endif()
  set(failures ${failures} PARENT_SCOPE)
  set(last_out "${out}" PARENT_SCOPE)
endfunction()

# check: fine files, each kind of damage, files that are not ours, files that are not there.
expect(0 "good.xam: fine" check ${DATA}/good.xam)
expect(1 "truncated or miscounted: track 0" check ${DATA}/truncated.xam)
expect(1 "track 1 states 1000 keys" check ${DATA}/overcount.xam)
expect(1 "8 bytes follow the end mark" check ${DATA}/extra.xam)
expect(1 "key 2 at frame 20 comes after key 1 at frame 40 \\(out of order\\)" check ${DATA}/unordered.xam)
expect(1 "neither an animation file" check ${DATA}/notxam.bin)
expect(1 "no such file" check ${DATA}/not-there.xam)
expect(0 "good.oac: fine" check ${DATA}/good.oac)
expect(1 "limb 2 is updated before its parent 1" check ${DATA}/badorder.oac)

# info: an animation's counts, a controller's tree and settings, a damaged file.
expect(0 "tracks: 2\ntotal frames: 40\nend mark: 723" info ${DATA}/good.xam)
expect(0 "    0     3      0    50\n    1     3      0    40" info ${DATA}/good.xam)
expect(0 "limbs: 3\nmodel type: 0\nupdate order: 0 1 2" info ${DATA}/good.oac)
expect(0 "    limb 1 \\(inactive\\)\n      limb 2 -> writes nowhere" info ${DATA}/good.oac)
expect(1 "damaged \\(the plug-in loads it as an empty animation\\)" info ${DATA}/truncated.xam)

# dump: every key exactly as the golden text has it; one limb; a limb that is not there.
expect(0 "" dump ${DATA}/good.xam)
file(READ ${DATA}/good.dump.txt golden)
if(NOT last_out STREQUAL golden)
  message("FAIL: xamo dump good.xam differs from good.dump.txt:\n${last_out}")
  math(EXPR failures "${failures} + 1")
endif()
expect(0 "    1   1    20     0.0000   30.0000    0.0000     1.0000     2.0000     3.0000" dump ${DATA}/good.xam --limb 1)
expect(1 "there is no limb 2" dump ${DATA}/good.xam --limb 2)
expect(1 "controller file; it has no keys" dump ${DATA}/good.oac)

# plot: an SVG with a line per angle and position; usage errors.
file(REMOVE ${OUT}/limb1.svg)
expect(0 "plotted" plot ${DATA}/good.xam --limb 1 -o ${OUT}/limb1.svg)
file(READ ${OUT}/limb1.svg svg)
string(REGEX MATCHALL "<polyline" lines "${svg}")
list(LENGTH lines count)
if(NOT count EQUAL 6 OR NOT svg MATCHES "</svg>\n$")
  message("FAIL: the plot has ${count} lines, expected 6 (three angles, three positions), or is cut short")
  math(EXPR failures "${failures} + 1")
endif()
expect(2 "plot needs --limb N and -o" plot ${DATA}/good.xam --limb 1)
expect(2 "--limb takes a limb number" dump ${DATA}/good.xam --limb one)
expect(2 "usage" frobnicate ${DATA}/good.xam)

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} xamo case(s) failed")
endif()
