#pragma once
// Shared AddRef/Release for the platform's COM-style objects.

#include "platform/system/WinTypes.h"

template <typename Interface>
class RefCounted : public Interface {
public:
	ULONG AddRef() override { return ++references; }

	ULONG Release() override {
		const ULONG remaining = --references;
		if (remaining == 0) {
			delete this;
		}
		return remaining;
	}

	ULONG ReferenceCount() const { return references; }

protected:
	RefCounted() = default;
	~RefCounted() override = default;

private:
	ULONG references = 1;
};
