import QtQuick 2.14

// The current colour of a colour dialog.
Rectangle {
    width: 20
    height: 20
    border.color: "#ffffff"
}
