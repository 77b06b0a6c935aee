#pragma once

#include <QIODevice>
#include <memory>

class TField;

// A read-only, random-access device over a field's value as it is now, read
// through the field's reader where a consumer asks (a picture decoder reads
// the head of a value that is no picture and stops), never copied whole. It
// counts the bytes it hands out.
class TFieldDevice : public QIODevice {
public:
    explicit TFieldDevice(const TField& field);
    ~TFieldDevice() override;

    bool isSequential() const override { return false; }
    qint64 size() const override;
    bool seek(qint64 pos) override;
    // The bytes read through it since it was made.
    qint64 BytesRead() const { return FBytesRead; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    std::unique_ptr<QIODevice> FReader;
    qint64 FBytesRead = 0;
};
