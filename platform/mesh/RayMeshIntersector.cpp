#include "platform/mesh/RayMeshIntersector.h"

// CMake says which Embree it found: Debian 12 ships 3, later releases 4.
#if VORTANE_EMBREE_MAJOR == 4
#include <embree4/rtcore.h>
#elif VORTANE_EMBREE_MAJOR == 3
#include <embree3/rtcore.h>
#else
#error "VORTANE_EMBREE_MAJOR must name the Embree major version (3 or 4)"
#endif

#include <cmath>
#include <cstring>
#include <limits>

namespace {

// One Embree device for the process; building and tracing are thread-safe on it.
class EmbreeDevice {
public:
	static RTCDevice Get() {
		static EmbreeDevice instance;
		return instance.device;
	}

	static bool CullsBackfaces() {
		static const bool culls =
			Get() != nullptr && rtcGetDeviceProperty(Get(), RTC_DEVICE_PROPERTY_BACKFACE_CULLING_ENABLED) != 0;
		return culls;
	}

private:
	EmbreeDevice() : device(rtcNewDevice(nullptr)) {}
	~EmbreeDevice() {
		if (device != nullptr) {
			rtcReleaseDevice(device);
		}
	}

	RTCDevice device;
};

// Adds the triangles as one geometry; flipped reverses each winding so that
// a library built with back-face culling still sees both faces.
bool AttachTriangles(RTCDevice device, RTCScene scene, const std::vector<D3DXVECTOR3>& positions,
                     const std::vector<uint32_t>& indices, bool flipped) {
	RTCGeometry geometry = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_TRIANGLE);
	if (geometry == nullptr) {
		return false;
	}
	auto* vertices = static_cast<float*>(rtcSetNewGeometryBuffer(geometry, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3,
	                                                             3 * sizeof(float), positions.size()));
	const size_t faces = indices.size() / 3;
	auto* triangles = static_cast<uint32_t*>(
		rtcSetNewGeometryBuffer(geometry, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3, 3 * sizeof(uint32_t), faces));
	if (vertices == nullptr || triangles == nullptr) {
		rtcReleaseGeometry(geometry);
		return false;
	}
	std::memcpy(vertices, positions.data(), positions.size() * sizeof(D3DXVECTOR3));
	for (size_t face = 0; face < faces; ++face) {
		const uint32_t* corners = &indices[3 * face];
		const bool valid = corners[0] < positions.size() && corners[1] < positions.size() && corners[2] < positions.size();
		// An invalid triangle becomes a degenerate one, which is never hit,
		// so that face numbers stay those of the mesh.
		triangles[3 * face + 0] = valid ? corners[0] : 0;
		triangles[3 * face + 1] = valid ? corners[flipped ? 2 : 1] : 0;
		triangles[3 * face + 2] = valid ? corners[flipped ? 1 : 2] : 0;
	}
	rtcCommitGeometry(geometry);
	rtcAttachGeometry(scene, geometry);
	rtcReleaseGeometry(geometry);
	return true;
}

}  // namespace

static_assert(sizeof(D3DXVECTOR3) == 3 * sizeof(float), "positions are copied as packed float triples");

RayMeshIntersector::~RayMeshIntersector() { Clear(); }

void RayMeshIntersector::Clear() {
	if (scene != nullptr) {
		rtcReleaseScene(scene);
		scene = nullptr;
	}
	builtPositions.clear();
	builtIndices.clear();
}

bool RayMeshIntersector::Build(std::span<const D3DXVECTOR3> positions, std::span<const uint32_t> indices) {
	Clear();
	const RTCDevice device = EmbreeDevice::Get();
	const size_t faces = indices.size() / 3;
	if (device == nullptr || positions.empty() || faces == 0) {
		return false;
	}
	builtPositions.assign(positions.begin(), positions.end());
	builtIndices.assign(indices.begin(), indices.begin() + 3 * faces);
	scene = rtcNewScene(device);
	if (scene == nullptr) {
		return false;
	}
	// The mesh is static between edits, so the slower, better tree pays off.
	rtcSetSceneBuildQuality(scene, RTC_BUILD_QUALITY_HIGH);
	rtcSetSceneFlags(scene, RTC_SCENE_FLAG_ROBUST);
	bool attached = AttachTriangles(device, scene, builtPositions, builtIndices, false);
	if (attached && EmbreeDevice::CullsBackfaces()) {
		attached = AttachTriangles(device, scene, builtPositions, builtIndices, true);
	}
	if (!attached) {
		Clear();
		return false;
	}
	rtcCommitScene(scene);
	return true;
}

bool RayMeshIntersector::Holds(std::span<const D3DXVECTOR3> positions, std::span<const uint32_t> indices) const {
	return scene != nullptr && positions.size() == builtPositions.size() &&
	       indices.size() - indices.size() % 3 == builtIndices.size() &&
	       std::memcmp(positions.data(), builtPositions.data(), positions.size() * sizeof(D3DXVECTOR3)) == 0 &&
	       std::memcmp(indices.data(), builtIndices.data(), builtIndices.size() * sizeof(uint32_t)) == 0;
}

RayHit RayMeshIntersector::Intersect(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction) const {
	const bool finite = std::isfinite(origin.x) && std::isfinite(origin.y) && std::isfinite(origin.z) &&
	                    std::isfinite(direction.x) && std::isfinite(direction.y) && std::isfinite(direction.z);
	const bool moving = direction.x != 0.0f || direction.y != 0.0f || direction.z != 0.0f;
	if (scene == nullptr || !finite || !moving) {
		return RayHit();
	}
	RTCRayHit query{};
	query.ray.org_x = origin.x;
	query.ray.org_y = origin.y;
	query.ray.org_z = origin.z;
	query.ray.dir_x = direction.x;
	query.ray.dir_y = direction.y;
	query.ray.dir_z = direction.z;
	query.ray.tnear = 0.0f;
	query.ray.tfar = std::numeric_limits<float>::infinity();
	query.ray.mask = 0xFFFFFFFFu;
	query.hit.geomID = RTC_INVALID_GEOMETRY_ID;
	query.hit.primID = RTC_INVALID_GEOMETRY_ID;
#if VORTANE_EMBREE_MAJOR == 4
	RTCIntersectArguments arguments;
	rtcInitIntersectArguments(&arguments);
	rtcIntersect1(scene, &query, &arguments);
#else
	RTCIntersectContext context;
	rtcInitIntersectContext(&context);
	rtcIntersect1(scene, &context, &query);
#endif
	if (query.hit.geomID == RTC_INVALID_GEOMETRY_ID) {
		return RayHit();
	}
	RayHit hit{true, query.hit.primID, query.hit.u, query.hit.v, query.ray.tfar};
	if (query.hit.geomID == 1) {
		// The flipped copy lists corners 0, 2, 1: swap the weights back.
		hit.u = query.hit.v;
		hit.v = query.hit.u;
	}
	return hit;
}
