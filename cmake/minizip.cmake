# zlib's minizip as the target "minizip", built from Debian's zlib sources
# for both sides (it is not packaged for MinGW, and Debian's own libminizip
# misreads ZIP64 sizes); zlib is libz-mingw-w64-dev's or zlib1g-dev's.
add_library(minizip INTERFACE)
set(MINIZIP_DIR ${CMAKE_BINARY_DIR}/third_party/minizip)
if(WIN32)
  set(MINIZIP_ARCH ${CMAKE_SYSTEM_PROCESSOR})
else()
  set(MINIZIP_ARCH native)
endif()
add_custom_command(OUTPUT ${MINIZIP_DIR}/lib/libminizip.a
  COMMAND ${CMAKE_SOURCE_DIR}/third_party/minizip/build.sh ${MINIZIP_DIR} ${MINIZIP_ARCH}
  DEPENDS ${CMAKE_SOURCE_DIR}/third_party/minizip/build.sh
  COMMENT "Building minizip from Debian's zlib sources")
add_custom_target(minizip_lib DEPENDS ${MINIZIP_DIR}/lib/libminizip.a)
add_dependencies(minizip minizip_lib)
file(MAKE_DIRECTORY ${MINIZIP_DIR}/include)
target_include_directories(minizip INTERFACE ${MINIZIP_DIR}/include)
if(WIN32)
  # -static picks zlib's libz.a.
  target_link_libraries(minizip INTERFACE ${MINIZIP_DIR}/lib/libminizip.a z)
else()
  find_package(ZLIB REQUIRED)
  target_link_libraries(minizip INTERFACE ${MINIZIP_DIR}/lib/libminizip.a ZLIB::ZLIB)
endif()
