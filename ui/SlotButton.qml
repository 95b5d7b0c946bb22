import QtQuick 2.14
import QtQuick.Controls 2.14

// The small buttons of the Alerts and View tabs.
Button {
    width: 40
    height: 20
    padding: 0
    topInset: 0
    bottomInset: 0
    leftInset: 0
    rightInset: 0
    font.pixelSize: 12
}
