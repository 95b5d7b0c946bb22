import QtQuick 2.14
import QtQuick.Controls 2.14
import Kestro 1.0

// Where a kind of sound plays: "Как в системе" or one of the sound server's outputs, stored
// by the output's name under the form's property `setting`.
ComboBox {
    property string setting

    width: 260
    height: 30
    font.pixelSize: 12
    model: SoundRouting.outputRows
    textRole: "text"
    valueRole: "name"
    currentIndex: Math.max(0, indexOfValue(Utils.form[setting]))
    onActivated: Utils.form[setting] = currentValue
}
