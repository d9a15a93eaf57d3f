# ThreadSanitizer keeps its own shadow memory and cannot share a build with the others.
if(TORVEL_SANITIZE MATCHES "thread" AND TORVEL_SANITIZE MATCHES "address|leak|memory")
  message(FATAL_ERROR "TORVEL_SANITIZE: thread cannot be combined with ${TORVEL_SANITIZE}")
endif()

# Warnings, -Werror and sanitizers for Torvel's own targets only: a parent project
# that adds us with add_subdirectory keeps its own flags.
function(torvel_target_options target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wold-style-cast -Wnon-virtual-dtor)
  # Every symbol bound at start, so the relocation table can be read-only for the whole run;
  # only a program's link takes it.
  target_link_options(${target} PRIVATE -Wl,-z,relro,-z,now)
  if(TORVEL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(TORVEL_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=${TORVEL_SANITIZE} -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=${TORVEL_SANITIZE})
  endif()
endfunction()

# A library of one folder: its sources, Qt Core, our flags. QT_NO_CAST_FROM_ASCII makes
# the encoding of every text a decision.
function(torvel_add_library target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/..)
  target_link_libraries(${target} PUBLIC ${ARG_LIBS})
  target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII)
  torvel_target_options(${target})
  # Qt's headers dominate the compile of every source; parse them once per target.
  target_precompile_headers(${target} PRIVATE <QtCore/QByteArray> <QtCore/QList> <QtCore/QObject>
                                              <QtCore/QString> <functional> <memory>)
endfunction()
