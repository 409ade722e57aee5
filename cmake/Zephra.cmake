# Build helpers shared by every folder of the project.

set(ZEPHRA_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)

add_compile_options(-Wall -Wextra)
if(ZEPHRA_WERROR)
  add_compile_options(-Werror)
endif()

# A sanitizer's report names files and lines: give a build whose flags carry no
# debug level at least the line tables.
string(TOUPPER "${CMAKE_BUILD_TYPE}" zephra_build_type)
set(zephra_line_tables)
if(NOT " ${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${zephra_build_type}}" MATCHES " -g")
  set(zephra_line_tables -g1)
endif()

if(ZEPHRA_SANITIZE)
  add_compile_options(-fsanitize=${ZEPHRA_SANITIZE} -fno-omit-frame-pointer ${zephra_line_tables})
  add_link_options(-fsanitize=${ZEPHRA_SANITIZE})
  if(ZEPHRA_SANITIZE MATCHES "undefined")
    add_compile_options(-fno-sanitize-recover=undefined)
  endif()
endif()

if(ZEPHRA_FUZZ)
  # Libraries get coverage instrumentation; each fuzz target links libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer ${zephra_line_tables})
  add_link_options(-fsanitize=address,undefined)
endif()

# zephra_library(NAME): a static library of every source in the calling folder.
function(zephra_library name)
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c
       ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(sub ${ARGN})
    file(GLOB more CONFIGURE_DEPENDS
         ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.c
         ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.h)
    list(APPEND sources ${more})
  endforeach()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${ZEPHRA_ROOT})
endfunction()

# zephra_tests(FOLDER LIBS...): the folder's GoogleTest files become up to
# three executables:
#   *_test.cpp           FOLDER_tests
#   *_threaded_test.cpp  FOLDER_threaded_tests, also run under ThreadSanitizer
#   *_jack_test.cpp      FOLDER_jack_tests, threaded too, run alone since they
#                        share the JACK server and its timing
#   *_display_test.cpp   FOLDER_display_tests, which open windows on the
#                        virtual display; kept apart because a process that
#                        has opened the display sees its screen from then on,
#                        and run one at a time, since the keyboard focus is
#                        the display's and a window shown by one test takes
#                        it from another
#   *_e2e_test.cpp       FOLDER_e2e_tests, which start the program itself on
#                        a display of its own with the simulated synth on
#                        the JACK server, so they run with nothing beside them
# Sources under support/ are linked into each.
function(zephra_tests folder)
  file(GLOB all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB threaded CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_threaded_test.cpp)
  file(GLOB jack CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_jack_test.cpp)
  file(GLOB display CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_display_test.cpp)
  file(GLOB e2e CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_e2e_test.cpp)
  file(GLOB support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support/*.cpp)
  set(plain ${all})
  foreach(f ${threaded} ${jack} ${display} ${e2e})
    list(REMOVE_ITEM plain ${f})
  endforeach()
  if(plain AND NOT ZEPHRA_ONLY_THREADED)
    zephra_test_executable(${folder}_tests "" "" ${plain} ${support} LIBS ${ARGN})
  endif()
  if(display AND NOT ZEPHRA_ONLY_THREADED)
    zephra_test_executable(${folder}_display_tests "" "display" ${display} ${support} LIBS ${ARGN})
  endif()
  if(e2e AND NOT ZEPHRA_ONLY_THREADED)
    zephra_test_executable(${folder}_e2e_tests "e2e" "jack" ${e2e} ${support} LIBS ${ARGN})
  endif()
  if(threaded)
    zephra_test_executable(${folder}_threaded_tests "threaded" "" ${threaded} ${support} LIBS ${ARGN})
  endif()
  if(jack)
    zephra_test_executable(${folder}_jack_tests "jack" "jack" ${jack} ${support} LIBS ${ARGN})
  endif()
endfunction()

function(zephra_test_executable exe labels lock)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  add_executable(${exe} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${exe} PRIVATE ${T_LIBS} zephra_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  set(props TIMEOUT 300)
  if(labels STREQUAL "e2e")
    # The program under the address checker on two cores, with the synth's
    # replies paced as a cable paces them, can take minutes for one case.
    set(props TIMEOUT 600)
  endif()
  if(lock)
    list(APPEND props RESOURCE_LOCK ${lock})
  endif()
  # A program with tests that start and stop JACK servers of their own
  # (support/OwnJackServer.h) runs each test through scripts/privatejack.sh:
  # in a /dev/shm of its own where the machine allows it, so that a server
  # that breaks JACK's list of servers there breaks it for no other test.
  set(own_servers FALSE)
  foreach(source ${T_UNPARSED_ARGUMENTS})
    file(STRINGS ${source} includes REGEX "support/OwnJackServer\\.h")
    if(includes)
      set(own_servers TRUE)
    endif()
  endforeach()
  if(own_servers)
    set_target_properties(${exe} PROPERTIES CROSSCOMPILING_EMULATOR ${ZEPHRA_ROOT}/scripts/privatejack.sh)
  endif()
  if(lock STREQUAL "jack" OR own_servers)
    # JACK drops MIDI when its clients miss cycles, which a machine busy with
    # sanitized tests makes them do, so these run with nothing beside them.
    list(APPEND props RUN_SERIAL TRUE)
  endif()
  # Each test is labelled with its program's name ("core_jack_tests"), by
  # which the test command picks the kinds and runs the JACK test programs
  # one at a time, each after a look at its server.
  list(APPEND props LABELS ${exe})
  gtest_discover_tests(${exe}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${props})
  if(labels MATCHES "threaded|jack")
    set_property(GLOBAL APPEND PROPERTY ZEPHRA_THREADED_TESTS ${exe})
  endif()
endfunction()
