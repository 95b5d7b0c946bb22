import QtQuick 2.14
import QtQuick.Controls 2.14

Label {
    textFormat: Text.PlainText
    font.pixelSize: 12
}
