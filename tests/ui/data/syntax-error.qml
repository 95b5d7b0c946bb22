import QtQuick 2.14

Item {
    width: 10 +
}
