# Parsing Qt's headers is about half of what compiling one of our files costs,
# and every file parses the same ones again. Each library precompiles the Qt
# headers its files use most; the test executables, one file each, share one
# precompiled set per kind (with or without widgets) instead of making their
# own. Set LUSTRELAB_PRECOMPILE_QT=OFF to compare or to see a file's own
# includes at work.
option(LUSTRELAB_PRECOMPILE_QT "Precompile the Qt headers the sources use most" ON)

set(lustrelab_qt_gui_headers
    <QByteArray> <QColor> <QDir> <QFile> <QFileInfo> <QHash> <QImage> <QList> <QObject>
    <QPainter> <QPainterPath> <QPointF> <QRect> <QRectF> <QSizeF> <QString> <QStringList>
    <QThreadPool> <QTimer> <QUrl> <QUuid> <algorithm> <functional> <memory> <optional> <vector>)
set(lustrelab_qt_widget_headers ${lustrelab_qt_gui_headers}
    <QApplication> <QBoxLayout> <QComboBox> <QLabel> <QPushButton> <QToolButton> <QWidget>)
set(lustrelab_qt_test_headers <QSignalSpy> <QTemporaryDir> <QTest>)

# kind: GUI (no widgets) or WIDGETS.
function(lustrelab_precompile_qt target kind)
    if(LUSTRELAB_PRECOMPILE_QT)
        if(kind STREQUAL "WIDGETS")
            target_precompile_headers(${target} PRIVATE ${lustrelab_qt_widget_headers})
        else()
            target_precompile_headers(${target} PRIVATE ${lustrelab_qt_gui_headers})
        endif()
    endif()
endfunction()

# The holders of the tests' precompiled headers: libraries with one empty file,
# linked like the tests of their kind so that the compiler flags match.
function(lustrelab_test_header_holder name kind)
    set(source ${CMAKE_CURRENT_BINARY_DIR}/${name}.cpp)
    file(WRITE ${source} "// holds the precompiled Qt headers of the tests\n")
    add_library(${name} STATIC ${source})
    target_link_libraries(${name} PRIVATE lustrelab_core lustrelab_test_fakes Qt6::Test)
    if(kind STREQUAL "WIDGETS")
        target_link_libraries(${name} PRIVATE lustrelab_ui)
        set(headers ${lustrelab_qt_widget_headers} ${lustrelab_qt_test_headers})
    else()
        set(headers ${lustrelab_qt_gui_headers} ${lustrelab_qt_test_headers})
    endif()
    target_precompile_headers(${name} PRIVATE ${headers})
endfunction()

# A test executable takes the holder's headers instead of making its own.
function(lustrelab_use_test_headers target holder)
    if(LUSTRELAB_PRECOMPILE_QT)
        target_precompile_headers(${target} REUSE_FROM ${holder})
    endif()
endfunction()
