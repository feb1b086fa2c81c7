# Install rules (cmake --install). Windows: the programs in bin/. Linux: the program with its
# window module and clipboard keeper in the product's own folder (VELLUMO_PRODUCT_DIR), which the
# program finds beside itself (so the installed tree may be moved), with links to it on PATH under
# its own name and the package's; the tools in bin/; the desktop entry, icons, AppStream metainfo,
# manual pages and the package's documents below share/.
set(VELLUMO_PACKAGE_NAME vellumo-diagnostic)

# A build without the window (the fuzz targets' build) has no program to install.
if(NOT TARGET VellumoDiagnostic)
    return()
endif()

# The report format for support staff and their tools: its description and JSON Schema.
set(VELLUMO_REPORT_FORMAT_DOCS ${CMAKE_SOURCE_DIR}/docs/report-format.md
    ${CMAKE_SOURCE_DIR}/docs/report-format.schema.json)

if(WIN32)
    install(TARGETS VellumoDiagnostic vellumo-reg vellumo-pack
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/icons/vellumo-diagnostic.ico
        ${VELLUMO_REPORT_FORMAT_DOCS} DESTINATION ${CMAKE_INSTALL_BINDIR})
    return()
endif()

install(TARGETS vellumo-reg vellumo-pack RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS VellumoDiagnostic vellumo-clipboard-keeper
    RUNTIME DESTINATION ${VELLUMO_PRODUCT_DIR})
install(TARGETS vellumo-gui LIBRARY DESTINATION ${VELLUMO_PRODUCT_DIR})

# vellumo_install_link(<folder> <name> <target>): a relative symbolic link, so that it still
# leads to its target when the installed tree is moved.
function(vellumo_install_link folder name target)
    file(RELATIVE_PATH relative /${folder} /${target})
    set(link ${CMAKE_BINARY_DIR}/install-links/${folder}/${name})
    get_filename_component(parent ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${relative} ${link} SYMBOLIC)
    install(FILES ${link} DESTINATION ${folder})
endfunction()
foreach(name VellumoDiagnostic ${VELLUMO_PACKAGE_NAME})
    vellumo_install_link(${CMAKE_INSTALL_BINDIR} ${name}
        ${VELLUMO_PRODUCT_DIR}/VellumoDiagnostic)
endforeach()
vellumo_install_link(${CMAKE_INSTALL_MANDIR}/man1 ${VELLUMO_PACKAGE_NAME}.1.gz
    ${CMAKE_INSTALL_MANDIR}/man1/VellumoDiagnostic.1.gz)

set(packaging ${CMAKE_SOURCE_DIR}/packaging)
install(FILES ${packaging}/linux/com.kestrova.VellumoDiagnostic.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/linux/com.kestrova.VellumoDiagnostic.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${packaging}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# Manual pages and the changelog are installed compressed, as Debian packages carry them; gzip -n
# leaves the name and time out, so the same sources give the same bytes.
find_program(VELLUMO_GZIP gzip REQUIRED)
set(compressed)
foreach(source ${packaging}/man/VellumoDiagnostic.1 ${packaging}/man/vellumo-reg.1
               ${packaging}/man/vellumo-pack.1 ${packaging}/debian/changelog)
    get_filename_component(name ${source} NAME)
    set(output ${CMAKE_BINARY_DIR}/packaging/${name}.gz)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
        COMMAND ${VELLUMO_GZIP} -9n -c ${source} > ${output}
        DEPENDS ${source} VERBATIM)
    list(APPEND compressed ${output})
endforeach()
add_custom_target(vellumo_packaging_files ALL DEPENDS ${compressed})
install(FILES ${CMAKE_BINARY_DIR}/packaging/VellumoDiagnostic.1.gz
              ${CMAKE_BINARY_DIR}/packaging/vellumo-reg.1.gz
              ${CMAKE_BINARY_DIR}/packaging/vellumo-pack.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${packaging}/debian/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
    ${VELLUMO_REPORT_FORMAT_DOCS} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${VELLUMO_PACKAGE_NAME})
# Each override of the package's checks carries its reason in the file.
install(FILES ${packaging}/debian/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${VELLUMO_PACKAGE_NAME})
