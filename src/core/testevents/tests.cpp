#include "tests.h"

#include "services/chatservice.h"
#include "services/serviceregistry.h"

void Tests::testSound(const QString &slotName) {
    for (ChatService *service : m_services.all()) {
        const QList<SoundSlot> slotList = service->soundSlots();
        if (const SoundSlot *slot = soundSlot(slotList, slotName)) {
            service->rehearse(*slot, m_draw);
            return;
        }
    }
}
