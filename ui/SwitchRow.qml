import QtQuick 2.14
import QtQuick.Controls 2.14

// A caption and an on/off switch of the View tab; the next row starts 27 pixels lower, under
// the switch's own margin.
Row {
    property alias text: label.text
    property alias labelWidth: label.width
    property alias toggle: toggle
    property bool on: false

    height: 27
    spacing: 3
    ViewLabel {
        id: label
        y: 6
    }
    Switch {
        id: toggle
        font.pixelSize: 12
        checked: parent.on
        text: parent.on ? qsTranslate("ViewForm", "ВКЛ") : qsTranslate("ViewForm", "ВЫКЛ")
    }
}
