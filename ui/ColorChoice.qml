import QtQuick 2.14

// One colour of the View tab: its caption, the colour now, and the button that opens its dialog.
Row {
    property alias text: label.text
    property alias labelWidth: label.width
    property alias color: swatch.color
    property alias button: button

    spacing: 10
    ViewLabel { id: label }
    Swatch { id: swatch }
    SlotButton {
        id: button
        width: 60
        text: qsTranslate("ViewForm", "Выбор")
    }
}
