# kestrane_wayland_protocol(TARGET XML): generates the client glue of a Wayland protocol
# with wayland-scanner and builds it into TARGET, whose sources include its header as
# "<name>-client-protocol.h".
find_package(PkgConfig REQUIRED)
pkg_get_variable(WAYLAND_SCANNER wayland-scanner wayland_scanner)
if(NOT WAYLAND_SCANNER)
  message(FATAL_ERROR "wayland-scanner not found (Debian: libwayland-bin, libwayland-dev)")
endif()

function(kestrane_wayland_protocol target xml)
  get_filename_component(name ${xml} NAME_WE)
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/wayland/${name})
  add_custom_command(OUTPUT ${generated}-client-protocol.h ${generated}-protocol.c
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/wayland
    COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${generated}-client-protocol.h
    COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${generated}-protocol.c
    DEPENDS ${xml})
  target_sources(${target} PRIVATE ${generated}-client-protocol.h ${generated}-protocol.c)
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/wayland)
endfunction()
