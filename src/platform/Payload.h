#pragma once

#include <memory>
#include <utility>

// The owned data of a posted message. Whoever holds the payload owns the
// object in it: a receiver takes it out, and a message that reaches no one
// (its window is gone, the loop ended) deletes it with the payload.
class IPayload {
public:
    virtual ~IPayload() = default;
    // One address per payload type, so that a receiver checks the type it
    // expects with a comparison instead of a run-time type lookup.
    virtual const void* GetTypeTag() const = 0;
};

template <class T>
struct PAYLOAD_TAG {
    static constexpr char tag = 0;
};

template <class T>
class CPayloadOf : public IPayload {
public:
    explicit CPayloadOf(std::unique_ptr<T> value) : m_value(std::move(value)) {}
    const void* GetTypeTag() const override { return &PAYLOAD_TAG<T>::tag; }
    T* Get() const { return m_value.get(); }
    std::unique_ptr<T> Take() { return std::move(m_value); }

private:
    std::unique_ptr<T> m_value;
};

template <class T>
std::unique_ptr<IPayload> MakePayload(std::unique_ptr<T> value) {
    return std::make_unique<CPayloadOf<T>>(std::move(value));
}

// The object of type T in payload, taken out of it; null when the payload is
// empty or carries another type.
template <class T>
std::unique_ptr<T> TakePayload(std::unique_ptr<IPayload>& payload) {
    if (payload == nullptr || payload->GetTypeTag() != &PAYLOAD_TAG<T>::tag) {
        return nullptr;
    }
    return static_cast<CPayloadOf<T>*>(payload.get())->Take();
}
