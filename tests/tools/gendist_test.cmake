# gendist refuses descriptions that drift from the command table: a command missing or unknown, a
# parameter the row lacks, a result text on a command without result; and entries that would make
# an incomplete help page.
#   cmake -DGENDIST=<gendist> -DTABLE=<commands.tbl> -DDESC=<commands.desc> -DOUT=<scratch> [-DEMU=...] -P gendist_test.cmake
set(failures 0)
file(MAKE_DIRECTORY "${OUT}")
file(READ "${DESC}" good)

# Writes the descriptions with `from` replaced by `to`, runs gendist on them and expects exit code 1
# and `want` in its messages.
function(expect_refused from to want)
  string(FIND "${good}" "${from}" at)
  if(at LESS 0)
    message(FATAL_ERROR "the descriptions no longer contain \"${from}\"; update this test")
  endif()
  string(REPLACE "${from}" "${to}" changed "${good}")
  file(WRITE "${OUT}/changed.desc" "${changed}")
  execute_process(COMMAND ${EMU} ${GENDIST} ${TABLE} ${OUT}/changed.desc ${OUT}/dist ${OUT}/commands.md
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 1 OR NOT "${out}${err}" MATCHES "${want}")
    message("FAIL: with \"${to}\": exit code ${rc}, expected 1 and \"${want}\":\n${out}${err}")
    math(EXPR failures "${failures} + 1")
  endif()
  set(failures ${failures} PARENT_SCOPE)
endfunction()

expect_refused("\nXamo_AnimWrite\n" "\nXamo_AnimWrote\n" "Xamo_AnimWrite has no description")
expect_refused("\nXamo_AnimWrite\n" "\nXamo_AnimWrote\n" "Xamo_AnimWrote is not in the command table")
expect_refused("  Time: The frame of the new key." "  Tme: The frame of the new key."
               "Xamo_AnimInsertKey: describes a parameter \"Tme\" that the row lacks")
expect_refused("  LimbNo: The limb whose parent is wanted.\n" "" "no meaning for parameter \"LimbNo\"")
expect_refused("Xamo_oacUpdate\n  summary:" "Xamo_oacUpdate\n  result: nothing\n  summary:"
               "Xamo_oacUpdate: has a result text but returns nothing")
expect_refused("  bad: Cannot fail.\n  note: The default play speed is" "  note: The default play speed is"
               "Xamo_GetDefaultPlaySpeed: no bad-input text")
# Every page has a description and an example, its own or shared, and names only real commands.
expect_refused("  note: The object and the animations the controller" "  ote: The object and the animations the controller"
               "Xamo_oacDelete: no note")
expect_refused("  > Xamo_oacDelete oac\n  > delete object 1\n" "" "Xamo_oacDelete: no example")
expect_refused("  > Xamo_oacDelete oac\n" "  > Xamo_oacDelet oac\n" "Xamo_oacDelete: names Xamo_oacDelet, which is not a command")
expect_refused("  share: Xamo_oacGetLimbReference" "  share: Xamo_oacGetLimbRef"
               "shares the text of a command that is not described")

# The descriptions as they stand are accepted.
execute_process(COMMAND ${EMU} ${GENDIST} ${TABLE} ${DESC} ${OUT}/dist ${OUT}/commands.md RESULT_VARIABLE rc
                ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message("FAIL: the checked-in descriptions are refused:\n${err}")
  math(EXPR failures "${failures} + 1")
endif()
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} gendist case(s) failed")
endif()
