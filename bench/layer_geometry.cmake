# OpenCV's affine warp and area resize are the references for the layer rotation and halving.
find_package(OpenCV REQUIRED COMPONENTS core imgproc)
target_include_directories(${target} PRIVATE ${OpenCV_INCLUDE_DIRS})
target_link_libraries(${target} PRIVATE opencv_core opencv_imgproc)
