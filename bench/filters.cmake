# OpenCV is the reference for the filter benchmarks: blur, filter2D, medianBlur, GaussianBlur, resize
# and warpAffine on the same pixels.
find_package(OpenCV REQUIRED COMPONENTS core imgproc)
target_include_directories(${target} PRIVATE ${OpenCV_INCLUDE_DIRS})
target_link_libraries(${target} PRIVATE opencv_core opencv_imgproc)
