# The windows: Qt Widgets on top of the core.
find_package(Qt6 REQUIRED COMPONENTS Widgets Network)
set(CMAKE_AUTOMOC ON)

file(GLOB GUI_SOURCES CONFIGURE_DEPENDS
  services/ui*.cpp services/ui*.h app/*.cpp app/*.h
  libraries/*.cpp libraries/*.h templates/*.cpp templates/*.h sentences/*.cpp sentences/*.h)
list(FILTER GUI_SOURCES EXCLUDE REGEX "app/main\\.cpp$")
add_library(wordloom_gui STATIC ${GUI_SOURCES})
target_link_libraries(wordloom_gui PUBLIC wordloom_core Qt6::Widgets Qt6::Network)

add_executable(wordloom app/main.cpp)
target_link_libraries(wordloom PRIVATE wordloom_gui)
set_target_properties(wordloom PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
wordloom_lay_demo_store(wordloom)
