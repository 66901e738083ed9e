# vantora_library(<name> [DEPS <targets>...]): a static library from every .cpp
# file of the calling folder except main.cpp (an interface library while the folder has none)
# and except the files of the other platform: a platform part has one file
# ending in "Linux.cpp" and one ending in "Windows.cpp", and the build takes
# the one of the platform it builds for,
# with the folder's parent on the include path so that code includes
# "common/Charset.h", "regex/RegExpW.h" and so on.
function(vantora_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "Linux\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "Windows\\.cpp$")
  endif()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# vantora_test_folder(<folder> <libraries>...): one test program per
# tests/<folder>/test_*.cpp file, each linked with GoogleTest/GoogleMock and the
# given libraries, its cases registered with CTest one by one and labelled
# with the folder and the program's target name (ctest -L selects them).
function(vantora_test_folder folder)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/test_*.cpp)
  foreach(skipped ${VANTORA_TESTS_NOT_BUILT})
    list(FILTER tests EXCLUDE REGEX "/${folder}/${skipped}\\.cpp$")
  endforeach()
  file(GLOB support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/support_*.cpp)
  # Shared helpers with a platform part follow the libraries' naming rule.
  if(WIN32)
    list(FILTER support EXCLUDE REGEX "Linux\\.cpp$")
  else()
    list(FILTER support EXCLUDE REGEX "Windows\\.cpp$")
  endif()
  set(test_definitions
    VANTORA_FIXTURES_DIR="${CMAKE_CURRENT_SOURCE_DIR}/fixtures"
    VANTORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VANTORA_BINARY_DIR="${PROJECT_BINARY_DIR}"
    VANTORA_EXE_SUFFIX="${CMAKE_EXECUTABLE_SUFFIX}")
  # The folder's shared test helpers are compiled once, as objects linked into
  # every test program of the folder (objects, not an archive, so that helpers
  # registering tests or environments are never dropped by the linker).
  set(support_target "")
  if(support)
    set(support_target ${folder}_test_support)
    add_library(${support_target} OBJECT ${support})
    target_include_directories(${support_target} PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${support_target} PUBLIC ${ARGN} GTest::gmock GTest::gtest Threads::Threads)
    target_compile_definitions(${support_target} PRIVATE ${test_definitions})
  endif()
  foreach(test_src ${tests})
    get_filename_component(stem ${test_src} NAME_WE)
    set(target ${folder}_${stem})
    add_executable(${target} ${test_src})
    if(support_target)
      target_sources(${target} PRIVATE $<TARGET_OBJECTS:${support_target}>)
    endif()
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${target} PRIVATE ${ARGN} GTest::gmock GTest::gtest_main Threads::Threads)
    target_compile_definitions(${target} PRIVATE ${test_definitions})
    if(CMAKE_CROSSCOMPILING)
      # Under an emulator (Wine) every start costs: the program runs as one
      # CTest test with all its cases.
      add_test(NAME ${target} COMMAND ${target} --gtest_brief=1)
      set_tests_properties(${target} PROPERTIES
        ENVIRONMENT "VANTORA_PAUSE_SCALE=0" TIMEOUT 900 LABELS "${folder};${target}")
    else()
      gtest_discover_tests(${target}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VANTORA_PAUSE_SCALE=0;LC_ALL=C.UTF-8"
                   TIMEOUT 300
                   LABELS "${folder};${target}")
    endif()
  endforeach()
endfunction()
