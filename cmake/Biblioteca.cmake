# tmv_biblioteca(NAME FOLDER DEPENDENCIES...): the static library tmv_NAME of
# every .cpp in the calling folder, and, when tests are built, one GoogleTest
# program FOLDER_tests of every .cpp in its tests/ folder.
function(tmv_biblioteca nombre carpeta)
  file(GLOB fuentes CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${nombre} STATIC ${fuentes})
  target_include_directories(${nombre} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${nombre} PUBLIC ${ARGN})
  if(TMV_BUILD_TESTS)
    file(GLOB pruebas CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
    if(pruebas)
      add_executable(${carpeta}_tests ${pruebas})
      target_link_libraries(${carpeta}_tests PRIVATE ${nombre} GTest::gtest_main)
      gtest_discover_tests(${carpeta}_tests DISCOVERY_TIMEOUT 60)
    endif()
  endif()
endfunction()
