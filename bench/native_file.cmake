# libpng writes and reads the same layers as the reference.
find_package(PNG REQUIRED)
target_link_libraries(${target} PRIVATE PNG::PNG)
