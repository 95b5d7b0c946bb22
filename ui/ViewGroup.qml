import QtQuick 2.14
import QtQuick.Controls 2.14

// A titled group of the View tab; its rows stand in a column under the title.
Item {
    property alias title: box.title
    property alias rowsX: rows.x
    property alias rowsY: rows.y
    property alias spacing: rows.spacing
    default property alias rows: rows.data

    width: parent.width
    GroupBox {
        id: box
        anchors.fill: parent
    }
    Column {
        id: rows
    }
}
