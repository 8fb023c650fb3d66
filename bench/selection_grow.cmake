# OpenCV's grey-level dilation and erosion with the same octagon are the reference for the
# selection's grow and shrink.
find_package(OpenCV REQUIRED COMPONENTS core imgproc)
target_include_directories(${target} PRIVATE ${OpenCV_INCLUDE_DIRS})
target_link_libraries(${target} PRIVATE opencv_core opencv_imgproc)
