# What a Linux user installs besides the programs: the manual pages, the bash completion,
# the desktop entry, the icons and the AppStream data; and the Debian package that
# `cmake --build build --target package` makes of all of it (dravik_VERSION_amd64.deb).

# The project's identity in the software centre and the package. The defaults lie under
# the reserved domain dravik.example until the project has a home page of its own.
set(DRAVIK_APP_ID "example.dravik.Dravik" CACHE STRING
    "AppStream component id: the project's domain reversed, then Dravik")
set(DRAVIK_HOMEPAGE "https://dravik.example/" CACHE STRING
    "The project's home page, ending in /; the AppStream screenshots are docs/*.png there")
set(DRAVIK_MAINTAINER "Dravik developers <developers@dravik.example>" CACHE STRING
    "The package's maintainer: name <address>")
set(DRAVIK_LICENSE "LicenseRef-proprietary")

# The release date as the Debian changelog writes it: "Tue, 08 Dec 2026 00:00:00 +0000".
if(NOT DRAVIK_RELEASE_DATE MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
  message(FATAL_ERROR "DRAVIK_RELEASE_DATE must be YYYY-MM-DD: ${DRAVIK_RELEASE_DATE}")
endif()
set(release_day ${CMAKE_MATCH_3})
math(EXPR release_year "${CMAKE_MATCH_1}")
math(EXPR release_month "1${CMAKE_MATCH_2} - 100")
math(EXPR release_mday "1${CMAKE_MATCH_3} - 100")
# Sakamoto's day of the week, 0 for Sunday.
set(month_offsets 0 3 2 5 0 3 5 1 4 6 2 4)
math(EXPR month_index "${release_month} - 1")
list(GET month_offsets ${month_index} month_offset)
set(year ${release_year})
if(release_month LESS 3)
  math(EXPR year "${year} - 1")
endif()
math(EXPR weekday
     "(${year} + ${year} / 4 - ${year} / 100 + ${year} / 400 + ${month_offset} + ${release_mday}) % 7")
set(weekdays Sun Mon Tue Wed Thu Fri Sat)
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(GET weekdays ${weekday} weekday_name)
list(GET months ${month_index} month_name)
set(DRAVIK_CHANGELOG_DATE
    "${weekday_name}, ${release_day} ${month_name} ${release_year} 00:00:00 +0000")

set(DRAVIK_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)
set(packaging_src ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
configure_file(${packaging_src}/dravik-cli.1.in ${DRAVIK_PACKAGING_DIR}/dravik-cli.1 @ONLY)
configure_file(${packaging_src}/dravik.1.in ${DRAVIK_PACKAGING_DIR}/dravik.1 @ONLY)
configure_file(${packaging_src}/changelog.in ${DRAVIK_PACKAGING_DIR}/changelog @ONLY)
configure_file(${packaging_src}/metainfo.xml.in
               ${DRAVIK_PACKAGING_DIR}/${DRAVIK_APP_ID}.metainfo.xml @ONLY)

# Manual pages and the changelog compressed as Debian has them: most, and without a time.
set(compressed)
foreach(name dravik-cli.1 dravik.1 changelog)
  add_custom_command(
    OUTPUT ${DRAVIK_PACKAGING_DIR}/${name}.gz
    COMMAND sh -c "gzip -9nc \"$1\" >\"$2\"" sh ${DRAVIK_PACKAGING_DIR}/${name}
            ${DRAVIK_PACKAGING_DIR}/${name}.gz
    DEPENDS ${DRAVIK_PACKAGING_DIR}/${name}
    VERBATIM)
  list(APPEND compressed ${DRAVIK_PACKAGING_DIR}/${name}.gz)
endforeach()

# The icon in the sizes of the icon theme, drawn from the SVG.
set(icon_sizes 48 128 256)
set(icons)
if(DRAVIK_WINDOW)
  add_executable(dravik-render-icon tools/render_icon.cpp)
  target_link_libraries(dravik-render-icon PRIVATE Qt6::Svg Qt6::Gui)
  foreach(size ${icon_sizes})
    set(icon ${DRAVIK_PACKAGING_DIR}/icons/${size}x${size}/dravik.png)
    add_custom_command(
      OUTPUT ${icon}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${DRAVIK_PACKAGING_DIR}/icons/${size}x${size}
      COMMAND dravik-render-icon ${packaging_src}/dravik.svg ${size} ${icon}
      DEPENDS dravik-render-icon ${packaging_src}/dravik.svg
      VERBATIM)
    list(APPEND icons ${icon})
  endforeach()
endif()
add_custom_target(packaging_files ALL DEPENDS ${compressed} ${icons})

set(man1 ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${DRAVIK_PACKAGING_DIR}/dravik-cli.1.gz DESTINATION ${man1})
install(FILES ${packaging_src}/dravik-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME dravik-cli)
install(FILES ${packaging_src}/copyright ${DRAVIK_PACKAGING_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
if(DRAVIK_WINDOW)
  install(FILES ${DRAVIK_PACKAGING_DIR}/dravik.1.gz DESTINATION ${man1})
  install(FILES app/dravik.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${DRAVIK_PACKAGING_DIR}/${DRAVIK_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${packaging_src}/dravik.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size ${icon_sizes})
    install(FILES ${DRAVIK_PACKAGING_DIR}/icons/${size}x${size}/dravik.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dravik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Dravik developers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Point and Figure charts and screening for Japanese stocks")
# The synopsis line above comes first; this is the text after it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Dravik charts stocks listed on the Japanese exchanges as Point and Figure
charts: columns of crosses for rising prices and of circles for falling
ones, with three-box reversals, month markers, buy and sell signals, trend
lines and price objectives. It screens a range of stock codes for ten
classic patterns and shows the bullish percent of the range.
.
Real daily prices come from the J-Quants API of the Japan Exchange Group
(an API key is needed) or from CSV files. Charts can be saved as PNG or SVG
pictures and screening results as CSV.
.
The package holds the window program dravik, the command line dravik-cli
and generated sample data, so a first start shows a chart at once.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${DRAVIK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${DRAVIK_HOMEPAGE}")
# The libraries from the programs' links; the window and the pictures write Japanese.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic | fonts-japanese-gothic")
# Qt's own Japanese texts for the standard dialogs (the window loads qtbase_ja).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
