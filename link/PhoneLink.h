// The handset's diagnostic command set: one operation per request shape, each building its
// packet at full length and handing it to SendFrame. Fire and forget: true when the port took
// the frame, false when it wrote nothing. No operation waits for a reply; the pauses that pace the
// handset after entry requests are taken through the pacer, never by blocking.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "link/HandsetCommands.h"
#include "link/Pacer.h"
#include "link/Port.h"
#include "link/Profile.h"
#include "link/Trace.h"

namespace numora {

constexpr int kEntryWritePauseMs = 100;
constexpr int kEntryRequestPauseMs = 150;

using Password = std::array<uint8_t, 8>;

// The pause a request is followed by: entry writes and entry requests pace the handset.
int RequestPauseMs(std::span<const uint8_t> request);

// The pace of record transfers. Specified: the fixed pauses after entry requests and entry
// writes, which every handset is known to accept. Fast: no such pauses; the next request goes
// out as soon as the last reply is in, for handsets that keep up.
enum class Pace { Specified, Fast };

// How long a fast run waits for a reply before it asks again: a few times what the request and
// its reply need on the wire at 115200 baud.
int FastReplyTimeoutMs(std::span<const uint8_t> request);

// Whether a reply answers the request: the same code, and for items the same item number and
// element, for records the same slot; the replies that carry data at full length. The request
// itself coming back is no answer to the password.
bool AnswersRequest(std::span<const uint8_t> request, std::span<const uint8_t> reply);

// Whether a reply refuses the request's mode: 0x18 or 0x1F, followed by the request's code
// when the handset names the request it refuses.
bool RefusesRequest(std::span<const uint8_t> request, std::span<const uint8_t> reply);

// The password the handset accepts: the ASCII digits of the model number, 5507, followed by
// the same four digits mirrored (7055). It is built at run time and kept nowhere whole.
Password DefaultPassword();

// The profile's "Port Setting"/"Password" when it holds 16 hex digits (another handset's
// password), else the default one.
Password PasswordFromProfile(const Profile& profile);

class PhoneLink {
public:
    PhoneLink(ByteSink& port, LinkPacer& pacer);
    virtual ~PhoneLink() = default;

    void SetPassword(const Password& password) { m_password = password; }
    void SetTrace(TraceSink* trace) { m_trace = trace; }
    void SetPace(Pace pace) { m_pace = pace; }
    Pace GetPace() const { return m_pace; }
    // The pause after the request at the link's pace.
    int PauseAfter(std::span<const uint8_t> request) const {
        return m_pace == Pace::Fast ? 0 : RequestPauseMs(request);
    }

    // Frames the packet and writes the whole frame with one write; the packet goes to the trace.
    bool SendFrame(std::span<const uint8_t> packet);

    // Items: one element of one of the handset's numbered items. The caller's buffer (133 bytes)
    // gets its code and item number written in place. Buffers shorter than their request give
    // false and nothing is written; only the request's length is sent.
    bool RequestItem(int item, uint8_t element);
    bool WriteItem(int item, std::span<uint8_t> packet);
    bool WriteSpeedDials(std::span<uint8_t> packet);
    // The session: mode 1 opens it, mode 2 ends a write; a read ends with EndSession.
    bool SwitchMode(uint8_t mode);
    bool RequestStatus();
    bool EndSession();
    bool SendPassword();
    // Records: the caller's 344-byte buffer gets its code written in place.
    bool WriteGroup(std::span<uint8_t> packet);
    bool RequestGroup(uint8_t slot);
    // Both pause the pacer after the write, whatever the write's result.
    bool WriteEntry(std::span<uint8_t> packet);            // then 100 ms
    bool RequestEntry(uint16_t slot);                      // then 150 ms
    bool WriteFieldMasks(std::span<const uint8_t> masks);  // 300 bytes
    bool RequestFieldMasks();

    // Sends a request again as it was first sent, with the pause that follows it.
    bool Resend(std::span<const uint8_t> packet);
    // The packet of the last request sent, and how many have been sent.
    const std::vector<uint8_t>& LastRequest() const { return m_lastRequest; }
    unsigned RequestCount() const { return m_requestCount; }

private:
    ByteSink& m_port;
    LinkPacer& m_pacer;
    TraceSink* m_trace = nullptr;
    Password m_password;
    std::vector<uint8_t> m_lastRequest;
    unsigned m_requestCount = 0;
    Pace m_pace = Pace::Specified;
};

}  // namespace numora
