# Drives the built xamo on the files in tests/tools/data: golden output, broken files, exit codes.
#   cmake -DXAMO=<xamo> -DDATA=<dir> -DOUT=<scratch dir> [-DEMU=<emulator>] -P xamo_test.cmake
set(failures 0)
file(MAKE_DIRECTORY "${OUT}")
file(WRITE "${OUT}/empty.xam" "")

function(fail message)
  message("FAIL: ${message}")
  math(EXPR failures "${failures} + 1")
  set(failures ${failures} PARENT_SCOPE)
endfunction()

# Runs xamo with ARGN; expects exit code `rc` and, unless empty, the regex `want` in stdout and stderr
# merged in the order written, or in one stream when `want` starts with "out:" or "err:".
function(expect rc want)
  if(want MATCHES "^(out|err):(.*)$")
    set(stream ${CMAKE_MATCH_1})
    set(want "${CMAKE_MATCH_2}")
    execute_process(COMMAND ${EMU} ${XAMO} ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE got)
    set(all "${${stream}}")
  else()
    execute_process(COMMAND ${EMU} ${XAMO} ${ARGN} OUTPUT_VARIABLE all ERROR_VARIABLE all RESULT_VARIABLE got)
  endif()
  if(NOT got EQUAL rc)
    fail("xamo ${ARGN}: exit code ${got}, expected ${rc}\n${all}")
  elseif(want AND NOT all MATCHES "${want}")
    fail("xamo ${ARGN}: output lacks \"${want}\":\n${all}")
  endif()
  set(failures ${failures} PARENT_SCOPE)
  set(last_out "${all}" PARENT_SCOPE)
endfunction()

# Usage: help and version on stdout with 0, wrong usage on stderr with 2.
expect(0 "out:^usage: xamo info FILE")
expect(0 "out:^usage: xamo info FILE" --help)
expect(0 "out:^xamo 1\\.[0-9]" --version)
expect(2 "err:unknown command \"frobnicate\"\nusage" frobnicate ${DATA}/good.xam)
expect(2 "err:info needs a FILE" info)
expect(2 "err:plot needs --limb N and -o" plot ${DATA}/good.xam --limb 1)
expect(2 "err:--limb takes a limb number" dump ${DATA}/good.xam --limb one)
expect(2 "err:--limb takes a limb number" dump ${DATA}/good.xam --limb 4294967296)
expect(2 "err:--limb is for dump and plot" info ${DATA}/good.xam --limb 1)

# check: fine files, each kind of damage, files that are not ours, files that are not there.
expect(0 "good.xam: fine" check ${DATA}/good.xam)
expect(1 "truncated or miscounted: track 0" check ${DATA}/truncated.xam)
expect(1 "track 1 states 1000 keys" check ${DATA}/overcount.xam)
expect(1 "8 bytes follow the end mark" check ${DATA}/extra.xam)
expect(1 "key 2 at frame 20 comes after key 1 at frame 40 \\(out of order\\)" check ${DATA}/unordered.xam)
expect(1 "neither an animation file" check ${DATA}/notxam.bin)
expect(1 "empty.xam is empty" check ${OUT}/empty.xam)
expect(1 "no such file" check ${DATA}/not-there.xam)
expect(0 "good.oac: fine" check ${DATA}/good.oac)
expect(1 "limb 2 is updated before its parent 1" check ${DATA}/badorder.oac)
expect(1 "3037000498 limbs need about 3.69e\\+19 bytes after the header, the file has 16 \\(truncated\\)"
       check ${DATA}/huge.oac)

# info: counts, a controller's tree and settings; a damaged file shows what it holds, then its errors.
expect(0 "tracks: 2\ntotal frames: 40\nend mark: 723" info ${DATA}/good.xam)
expect(0 "    0     3      0    50\n    1     3      0    40" info ${DATA}/good.xam)
expect(0 "total frames: 4294967295\n" info ${DATA}/late.xam)
expect(0 "limbs: 3\nmodel type: 0\nupdate order: 0 1 2" info ${DATA}/good.oac)
expect(0 "    limb 1 \\(inactive\\)\n      limb 2 -> writes nowhere" info ${DATA}/good.oac)
expect(1 "end mark: missing.*error: truncated.*damaged \\(the plug-in loads it as an empty animation\\)"
       info ${DATA}/truncated.xam)
expect(1 "    1     3      0    40\n.*error: 8 bytes follow the end mark.*\nxamo: .*extra.xam is damaged"
       info ${DATA}/extra.xam)
expect(1 "limbs: 3037000498\n.*error: 3037000498 limbs need" info ${DATA}/huge.oac)

# dump: every key as the golden text has it; one limb; files cut off; every field of a controller file.
expect(0 "" dump ${DATA}/good.xam)
file(READ ${DATA}/good.dump.txt golden)
if(NOT last_out STREQUAL golden)
  fail("xamo dump good.xam differs from good.dump.txt:\n${last_out}")
endif()
expect(0 "    1   1    20     0.0000   30.0000    0.0000     1.0000     2.0000     3.0000" dump ${DATA}/good.xam --limb 1)
expect(1 "there is no limb 2" dump ${DATA}/good.xam --limb 2)
expect(1 "    3   1     1     0.0000   30.0000.*\n    9   0     0 [^\n]*\n[^ ].*error: .*track 9 states 2 keys.*it ends at byte 2038, in key 1 of track 9"
       dump ${DATA}/cut.xam)
expect(0 "    1   1     5     0.0000    0.0000    0.0000        nan        inf  1.000e\\+30" dump ${DATA}/odd.xam)
expect(0 "^[^\n]*\nmagic: 6 bytes, \"OACOBJ\"\nformat: 1000\nreserved: 0 0\nlimbs: 3\nmodel type: 0\nupdate order: 0 1 2\n[^\n]*\n  limb 0: parent 0, children 0 0 0\n  limb 1: parent 0, children 0 0 1\n  limb 2: parent 1, children 0 0 0\nactive: 1 0 1\nreferences: 0 1 -1\n$"
       dump ${DATA}/good.oac)
expect(1 "update order: 0 1 2\n.*  limb 1: parent 0, children 0 0\n.*error.*in the child flags of limb 1" dump ${DATA}/cut.oac)

# plot: a labelled panel per component; times up to 2^32 - 1; values that are not finite left out.
foreach(name good late odd)
  file(REMOVE ${OUT}/${name}.svg)
  expect(0 "plotted" plot ${DATA}/${name}.xam --limb 1 -o ${OUT}/${name}.svg)
  file(READ ${OUT}/${name}.svg svg)
  string(REGEX MATCHALL "<path " curves "${svg}")
  string(REGEX MATCHALL ">frame</text>" axes "${svg}")
  list(LENGTH curves count)
  list(LENGTH axes labelled)
  if(NOT count EQUAL 6 OR NOT labelled EQUAL 6 OR svg MATCHES "nan|inf" OR NOT svg MATCHES "</svg>\n$"
     OR NOT svg MATCHES ">Rotation X<.*>degrees<.*>Position Z<.*>units<"
     OR (name STREQUAL "late" AND NOT svg MATCHES ">4294967295</text>"))
    fail("plot of ${name}.xam: ${count} curves, ${labelled} labelled axes (6 each), or a panel or label wrong")
  endif()
endforeach()
expect(1 "controller file; only animation files" plot ${DATA}/good.oac --limb 0 -o ${OUT}/x.svg)

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} xamo case(s) failed")
endif()
