import QtQuick 2.14

NoSuchType {
}
