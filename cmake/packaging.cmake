# Installation and packages: a Debian package for the Linux program, a zip for the Windows program.
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME "quillpost")
set(CPACK_PACKAGE_VENDOR "The Quillpost developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Types a prepared text into an Ultima Online client window")
set(CPACK_PACKAGE_DESCRIPTION [[
Quillpost is an editor for players of Ultima Online who fill several in-game
books with the same text. It types the prepared text into the game client's
window one character per timer tick, at a pace set on a slider, as if it were
typed on the keyboard, and waits while another window is in front.

Texts are written in the editor or loaded from files: plain text, RTF, Word
documents (.doc and .docx) and OpenDocument texts (.odt). The package also
contains quillpost-practice, a stand-in client that shows what it receives as
the pages of a book.

Quillpost finds the client windows and sends the keys through X11: it needs an
X11 session, or XWayland in a Wayland session for clients that run as X11
windows (clients run under Wine included).]])
set(CPACK_PACKAGE_CONTACT "Quillpost developers <quillpost@users.noreply.github.com>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://github.com/quillpost/quillpost")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_RESOURCE_FILE_README "${PROJECT_SOURCE_DIR}/README.md")
set(CPACK_STRIP_FILES ON)
# quillpost_2.0.1_amd64.deb.sha256 and Quillpost-2.0.1-windows-x64.zip.sha256 beside the packages.
set(CPACK_PACKAGE_CHECKSUM SHA256)

if(WIN32)
  if(TARGET Quillpost)
    install(TARGETS Quillpost RUNTIME DESTINATION .)
  endif()
  if(TARGET QuillpostPractice)
    install(TARGETS QuillpostPractice RUNTIME DESTINATION .)
  endif()
  # The texts beside the programs, with Windows line breaks so that Notepad shows them right.
  set(_texts ${PROJECT_BINARY_DIR}/packaging)
  foreach(_pair "LICENSE|LICENSE.txt" "THIRD-PARTY-NOTICES.txt|THIRD-PARTY-NOTICES.txt"
                "resources/windows/README.txt.in|README.txt")
    string(REPLACE "|" ";" _pair "${_pair}")
    list(GET _pair 0 _source)
    list(GET _pair 1 _name)
    file(READ ${PROJECT_SOURCE_DIR}/${_source} _text)
    string(CONFIGURE "${_text}" _text @ONLY)
    string(REPLACE "\n" "\r\n" _text "${_text}")
    file(WRITE ${_texts}/${_name} "${_text}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${_source})
    install(FILES ${_texts}/${_name} DESTINATION .)
  endforeach()
  set(CPACK_GENERATOR "ZIP")
  set(CPACK_PACKAGE_FILE_NAME "Quillpost-${PROJECT_VERSION}-windows-x64")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  foreach(program quillpost quillpost-practice)
    if(TARGET ${program})
      install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/resources/quillpost.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/io.github.quillpost.Quillpost.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icon/quillpost.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
  # Manual pages and the changelog go in compressed, the way Debian wants them (gzip -9n: no name,
  # no time stamp, so the same sources give the same package).
  set(_compressed)
  foreach(_pair "resources/man/quillpost.1|quillpost.1.gz" "resources/man/quillpost-practice.1|quillpost-practice.1.gz"
                "resources/debian/changelog|changelog.gz")
    string(REPLACE "|" ";" _pair "${_pair}")
    list(GET _pair 0 _source)
    list(GET _pair 1 _name)
    add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/${_name}
      COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${PROJECT_SOURCE_DIR}/${_source}
              ${PROJECT_BINARY_DIR}/packaging/${_name}
      DEPENDS ${PROJECT_SOURCE_DIR}/${_source} VERBATIM)
    list(APPEND _compressed ${PROJECT_BINARY_DIR}/packaging/${_name})
  endforeach()
  add_custom_target(quill_compressed_docs ALL DEPENDS ${_compressed})
  install(FILES ${PROJECT_BINARY_DIR}/packaging/quillpost.1.gz ${PROJECT_BINARY_DIR}/packaging/quillpost-practice.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # The licence (in Debian's machine-readable copyright file), the parts made by others, the changes.
  install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/copyright ${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES.txt
                ${PROJECT_BINARY_DIR}/packaging/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillpost)
  set(CPACK_GENERATOR "DEB")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
  # Directories 0755 and files 0644/0755 whatever the umask of the build was.
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The program resolves "Courier New" to Liberation Mono by itself; the package brings the font.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
endif()

include(CPack)
