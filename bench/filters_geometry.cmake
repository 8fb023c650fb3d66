# OpenCV's resize and affine warp are the references of the scale and rotate filters.
find_package(OpenCV REQUIRED COMPONENTS core imgproc)
target_include_directories(${target} PRIVATE ${OpenCV_INCLUDE_DIRS})
target_link_libraries(${target} PRIVATE opencv_core opencv_imgproc)
