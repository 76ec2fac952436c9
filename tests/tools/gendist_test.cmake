# gendist refuses descriptions that drift from the command table or would make an incomplete help
# page, and accepts the checked-in ones.
#   cmake -DGENDIST=<gendist> -DTABLE=<commands.tbl> -DDESC=<commands.desc> -DOUT=<scratch> [-DEMU=...] -P gendist_test.cmake
set(failures 0)
file(MAKE_DIRECTORY "${OUT}")
file(READ "${DESC}" good)

# gendist on the descriptions with `from` replaced by `to` (none when empty): exit code `rc`, `want`.
function(expect rc from to want)
  set(desc ${DESC})
  if(from)
    string(FIND "${good}" "${from}" at)
    if(at LESS 0)
      message(FATAL_ERROR "the descriptions no longer contain \"${from}\"; update this test")
    endif()
    string(REPLACE "${from}" "${to}" changed "${good}")
    set(desc ${OUT}/changed.desc)
    file(WRITE ${desc} "${changed}")
  endif()
  execute_process(COMMAND ${EMU} ${GENDIST} ${TABLE} ${desc} ${OUT}/dist ${OUT}/commands.md
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE got)
  if(NOT got EQUAL rc OR NOT "${out}${err}" MATCHES "${want}")
    message("FAIL: with \"${to}\": exit code ${got}, expected ${rc} and \"${want}\":\n${out}${err}")
    math(EXPR failures "${failures} + 1")
    set(failures ${failures} PARENT_SCOPE)
  endif()
endfunction()

expect(0 "" "" "")  # the descriptions as they stand
expect(1 "\nXamo_AnimWrite\n" "\nXamo_AnimWrote\n" "Xamo_AnimWrite has no description")
expect(1 "\nXamo_AnimWrite\n" "\nXamo_AnimWrote\n" "Xamo_AnimWrote is not in the command table")
expect(1 "  Time: The frame of the new key." "  Tme: The frame of the new key."
       "Xamo_AnimInsertKey: describes a parameter \"Tme\" that the row lacks")
expect(1 "  LimbNo: The limb whose parent is wanted.\n" "" "no meaning for parameter \"LimbNo\"")
expect(1 "Xamo_oacUpdate\n  summary:" "Xamo_oacUpdate\n  result: nothing\n  summary:"
       "Xamo_oacUpdate: has a result text but returns nothing")
expect(1 "  bad: Cannot fail.\n  note: The default play speed is" "  note: The default play speed is"
       "Xamo_GetDefaultPlaySpeed: no bad-input text")
# Every page has a description and an example, its own or shared, and names only real commands.
expect(1 "  note: The object and the animations the controller" "  ote: The object and the animations the controller"
       "Xamo_oacDelete: no note")
expect(1 "  > Xamo_oacDelete oac\n  > delete object 1\n" "" "Xamo_oacDelete: no example")
expect(1 "  > Xamo_oacDelete oac\n" "  > Xamo_oacDelet oac\n" "Xamo_oacDelete: names Xamo_oacDelet, which is not a command")
expect(1 "  share: Xamo_oacGetLimbReference" "  share: Xamo_oacGetLimbRef"
       "shares the text of a command that is not described")
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} gendist case(s) failed")
endif()
