# zlib's minizip as the target "minizip": Debian's library natively; for
# MinGW (not packaged there) built from Debian's zlib sources, with zlib
# from libz-mingw-w64-dev. setup.exe reads setup.dat with it, qpack writes it.
add_library(minizip INTERFACE)
if(WIN32)
  set(MINIZIP_DIR ${CMAKE_BINARY_DIR}/third_party/minizip)
  add_custom_command(OUTPUT ${MINIZIP_DIR}/lib/libminizip.a
    COMMAND ${CMAKE_SOURCE_DIR}/third_party/minizip/build.sh ${MINIZIP_DIR}
      ${CMAKE_SYSTEM_PROCESSOR}
    DEPENDS ${CMAKE_SOURCE_DIR}/third_party/minizip/build.sh
    COMMENT "Building minizip from Debian's zlib sources")
  add_custom_target(minizip_lib DEPENDS ${MINIZIP_DIR}/lib/libminizip.a)
  add_dependencies(minizip minizip_lib)
  file(MAKE_DIRECTORY ${MINIZIP_DIR}/include)
  target_include_directories(minizip INTERFACE ${MINIZIP_DIR}/include)
  # -static picks zlib's libz.a.
  target_link_libraries(minizip INTERFACE ${MINIZIP_DIR}/lib/libminizip.a z)
else()
  find_library(MINIZIP_LIBRARY minizip REQUIRED)
  find_package(ZLIB REQUIRED)
  target_link_libraries(minizip INTERFACE ${MINIZIP_LIBRARY} ZLIB::ZLIB)
endif()
