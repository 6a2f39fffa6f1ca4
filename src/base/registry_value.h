// Typed values of the user settings store, addressed by a registry-style path. Each access
// opens the store afresh, so threads never share a handle; a failed read gives 0 or "".
#pragma once

#include <QVariant>
#include <cstdint>
#include <string>

class registry_value {
  public:
    // fullPath: key path and value name separated by backslashes, for example
    // "Software\\Quillonsoft\\Skyvane\\LangID"; the part after the last backslash is the name.
    explicit registry_value(const std::string& fullPath);

    // True when the value is stored.
    bool exists() const;

    // Deletes the value; nothing happens when there is none.
    void remove() const;

    const std::string& name() const { return m_valueName; }

  protected:
    QVariant read() const;
    void write(const QVariant& value) const;

  private:
    QString settingsKey() const;

    std::string m_keyPath;
    std::string m_valueName;
};

// A 32-bit number; unsigned short keeps its low 16 bits, as it was stored in 4 bytes.
template <class T>
class registry_int : public registry_value {
  public:
    using registry_value::registry_value;

    T get() const {
        bool ok = false;
        qlonglong stored = read().toLongLong(&ok);
        return ok ? static_cast<T>(static_cast<std::uint32_t>(stored)) : T{};
    }

    void set(T value) const { write(QVariant::fromValue(static_cast<qlonglong>(value))); }
};

// A point on the screen: x then y, signed 32-bit each.
struct CPoint {
    int x = 0;
    int y = 0;
    bool operator==(const CPoint&) const = default;
};

template <class P>
class registry_binary : public registry_value {
  public:
    using registry_value::registry_value;

    // (0, 0) when missing or not two numbers.
    P get() const {
        QList<QVariant> pair = read().toList();
        if (pair.size() != 2) {
            return P{};
        }
        return P{pair[0].toInt(), pair[1].toInt()};
    }
    void set(const P& point) const { write(QVariantList{point.x, point.y}); }
};

template <class S>
class registry_string : public registry_value {
  public:
    using registry_value::registry_value;

    S get() const { return read().toString().toStdString(); }
    void set(const S& value) const { write(QString::fromStdString(value)); }
};
