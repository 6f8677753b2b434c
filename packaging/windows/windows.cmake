# Windows: the programs' icon and version resource, the Qt and MinGW runtime
# DLLs and plugins beside the programs, and two packages made by
# `cmake --build build-win --target package`: a portable .zip and a setup
# program (NSIS, per-machine under Program Files, Start-menu entries and an
# uninstaller).

set(ico ${CMAKE_CURRENT_SOURCE_DIR}/icons/org.ostrel.Ostrel.ico)
math(EXPR minor "${PROJECT_VERSION_MINOR} + 0")
set(OSTREL_RC_VERSION "${PROJECT_VERSION_MAJOR},${minor},0,0")
set(OSTREL_ICON ${ico})
set(description_ostrel "Ostrel: find, configure and test networked relay modules")
set(description_ostrel-cli "Ostrel command-line tool for networked relay modules")
foreach(program IN LISTS programs)
    set(OSTREL_RC_PROGRAM ${program})
    set(OSTREL_RC_DESCRIPTION "${description_${program}}")
    configure_file(windows/version.rc.in ${program}.rc @ONLY)
    target_sources(${program} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${program}.rc)
endforeach()

# What the programs load: Qt's libraries, the MinGW runtime and the plugins,
# which Qt finds in folders beside the program.
set(sdk ${OSTREL_QT_MINGW})
if(NOT sdk)
    get_filename_component(sdk "${Qt6_DIR}/../../.." ABSOLUTE)
endif()
set(dlls)
foreach(name IN ITEMS Qt6Core Qt6Gui Qt6Widgets Qt6Network libstdc++-6 libgcc_s_seh-1
                      libwinpthread-1)
    list(APPEND dlls ${sdk}/bin/${name}.dll)
endforeach()
install(FILES ${dlls} DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${sdk}/plugins/platforms/qwindows.dll DESTINATION ${CMAKE_INSTALL_BINDIR}/platforms)
install(FILES ${sdk}/plugins/styles/qwindowsvistastyle.dll
    DESTINATION ${CMAKE_INSTALL_BINDIR}/styles)
# Qt's own texts (standard buttons and dialogs) in Chinese, taken from the
# building Debian system (qt6-translations-l10n); the programs look for them
# in the folder "translations" beside themselves.
set(qt_zh /usr/share/qt6/translations/qtbase_zh_CN.qm)
if(EXISTS ${qt_zh})
    install(FILES ${qt_zh} DESTINATION ${CMAKE_INSTALL_BINDIR}/translations)
else()
    message(STATUS "${qt_zh} not found: Qt's dialogs stay English under Chinese (apt-get install qt6-translations-l10n)")
endif()
# The packages strip only the programs; the libraries carry symbols too (the
# C++ runtime shrinks from 23 MB to 2 MB without them).
if(CMAKE_STRIP)
    install(CODE "
        file(GLOB_RECURSE dlls \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/*.dll\")
        foreach(dll IN LISTS dlls)
            execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\${dll}\")
        endforeach()")
endif()

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION doc)
install(FILES copyright DESTINATION doc RENAME COPYRIGHT.txt)
install(FILES windows/third-party.txt DESTINATION doc)
# The licence texts of the libraries, from the building Debian system.
foreach(licence IN ITEMS LGPL-3 GPL-3)
    if(EXISTS /usr/share/common-licenses/${licence})
        install(FILES /usr/share/common-licenses/${licence} DESTINATION doc RENAME ${licence}.txt)
    endif()
endforeach()

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME ostrel)
set(CPACK_PACKAGE_VENDOR "Ostrel developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find, configure and test networked relay modules")
set(CPACK_SYSTEM_NAME win64)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Ostrel)
# The template asks for administrator rights and installs for all users.
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME "Ostrel ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "Ostrel ${PROJECT_VERSION}")
set(CPACK_NSIS_MUI_ICON ${ico})
set(CPACK_NSIS_MUI_UNIICON ${ico})
set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\ostrel.exe")
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# A 64-bit setup program for the 64-bit programs: it also runs where only
# 64-bit programs can (Debian's wine64 without wine32).
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# Start menu: the program (and, by the template, the uninstaller).
set(CPACK_PACKAGE_EXECUTABLES ostrel Ostrel)
include(CPack)
