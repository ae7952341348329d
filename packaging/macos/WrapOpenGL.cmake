# Qt 6.4's FindWrapOpenGL.cmake predates CMake 3.28's FindOpenGL on macOS: it
# takes the folder above OpenGL::GL's location for the framework, which from
# CMake 3.28 on is the SDK's Frameworks folder itself, so the link fails; it
# also links AGL, which the macOS 14 SDK no longer has. Qt's module returns at
# once when the target exists, so defining it first, before find_package(Qt6),
# takes the module out of the build whatever the CMake version.
if(NOT TARGET WrapOpenGL::WrapOpenGL)
    add_library(WrapOpenGL::WrapOpenGL INTERFACE IMPORTED GLOBAL)
    target_link_libraries(WrapOpenGL::WrapOpenGL INTERFACE "-framework OpenGL")
endif()
