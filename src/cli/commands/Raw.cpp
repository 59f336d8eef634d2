// raw HEX...: one command, its opcode and argument bytes in hexadecimal;
// prints the reply's data bytes.
#include "cli/Invocation.h"
#include "cli/Texts.h"
#include "cli/commands/Commands.h"
#include "protocol/Opcodes.h"
#include "protocol/PacketLengths.h"

#include <QJsonArray>

#include <array>
#include <vector>

namespace {

// The most argument bytes an opcode takes.
constexpr int mostArguments = 5;

// The bytes the arguments spell, two hex digits each ("12 09 00" or
// "120900"); none when one is no byte.
std::optional<std::vector<int>> hexBytes(const QStringList& arguments)
{
    std::vector<int> bytes;
    for (const QString& argument : arguments) {
        const QByteArray digits = argument.toLatin1();
        const QByteArray decoded = QByteArray::fromHex(digits);
        if (digits.size() % 2 != 0 || decoded.toHex() != digits.toLower())
            return std::nullopt;
        bytes.insert(bytes.end(), decoded.begin(), decoded.end());
    }
    for (int& byte : bytes)
        byte &= 0xFF;
    return bytes;
}

int raw(Invocation& invocation)
{
    const std::optional<std::vector<int>> bytes = hexBytes(invocation.arguments());
    if (!bytes)
        return invocation.usage(Localizable::tr("Give the command as hexadecimal bytes, such as 12 09 00"));
    const int opcode = withoutToggle(bytes->front());
    const std::array<int, mostArguments> given = [&] {
        std::array<int, mostArguments> arguments{};
        std::copy_n(bytes->begin() + 1, std::min<std::size_t>(bytes->size() - 1, mostArguments), arguments.begin());
        return arguments;
    }();
    if (static_cast<int>(bytes->size()) - 1 != argumentCount(opcode))
        return invocation.usage(
            Localizable::tr("Opcode %1 takes %2 argument bytes").arg(opcode, 2, 16, QChar('0')).arg(argumentCount(opcode)));
    const int replyBytes = replyLength(~opcode & 0xFF);
    if (replyBytes < 0)
        return invocation.usage(Localizable::tr("The reply of opcode %1 is not known").arg(opcode, 2, 16, QChar('0')));
    RCXController* brick = invocation.brick();
    if (!brick)
        return invocation.finish();
    RCXSender& sender = invocation.session().sender();
    // Only as many of the argument bytes go out as the opcode takes.
    const auto [a, b, c, d, e] = given;
    std::vector<std::uint8_t> reply(static_cast<std::size_t>(std::max(replyBytes - 1, 0)));
    if (replyBytes == noReply)
        sender.sendCodeNoReply(opcode, {a, b, c, d, e});
    else if (reply.empty())
        sender.sendCode(opcode, {a, b, c, d, e});
    else
        sender.sendCodeGetBlock(opcode, reply.data(), static_cast<int>(reply.size()), {a, b, c, d, e});
    if (invocation.session().linkFailed())
        return invocation.finish();
    QJsonArray replied;
    QStringList shown;
    for (const std::uint8_t byte : reply)
        replied.append(byte), shown.append(QString("%1").arg(byte, 2, 16, QChar('0')));
    invocation.report().set("reply", replied);
    if (!shown.isEmpty())
        invocation.report().say(shown.join(' '));
    return invocation.finish();
}

} // namespace

const Subcommand rawCommand = {
    "raw", "HEX...", QT_TRANSLATE_NOOP("Localizable", "Send one command, given as hexadecimal bytes; show the reply."),
    1, 64, {}, raw};
