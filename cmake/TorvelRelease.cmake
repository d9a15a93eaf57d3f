# The release that this tree makes: its day, and that day as seconds since 1970 for the tools
# that stamp their output with a date (scdoc's footer, the package's changelog). Stamping the
# release day, not the build's, keeps every build of one version the same.
#
# Move TORVEL_RELEASE_DATE with the version in project().
set(TORVEL_RELEASE_DATE 2026-12-09)

# Seconds since 1970-01-01 UTC at the start of the day YYYY-MM-DD (the proleptic Gregorian
# calendar's day count, shifted so the year starts in March and leap days come last).
function(torvel_date_epoch date out)
  if(NOT date MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
    message(FATAL_ERROR "not a date YYYY-MM-DD: ${date}")
  endif()
  math(EXPR y "${CMAKE_MATCH_1}")
  math(EXPR m "1${CMAKE_MATCH_2} - 100")
  math(EXPR d "1${CMAKE_MATCH_3} - 100")
  if(m LESS_EQUAL 2)
    math(EXPR y "${y} - 1")
    math(EXPR m "${m} + 9")
  else()
    math(EXPR m "${m} - 3")
  endif()
  math(EXPR era "${y} / 400")
  math(EXPR yoe "${y} - ${era} * 400")
  math(EXPR doy "(153 * ${m} + 2) / 5 + ${d} - 1")
  math(EXPR doe "${yoe} * 365 + ${yoe} / 4 - ${yoe} / 100 + ${doy}")
  math(EXPR days "${era} * 146097 + ${doe} - 719468")
  math(EXPR seconds "${days} * 86400")
  set(${out} ${seconds} PARENT_SCOPE)
endfunction()

torvel_date_epoch(${TORVEL_RELEASE_DATE} TORVEL_RELEASE_EPOCH)
